// The tests' own tree removal: what a link below a test's directory points
// to is never deleted with it.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "testutil.h"

namespace {

TEST(RemoveTreeTest, RemovesLinksNeverWhatTheyPointTo)
{
    struct {
        int line;
        const char* link;    // made from Linux, in the tree
        const char* target;  // relative to the link
    } cases[] = {
        { __LINE__, "folder link", "../kept" },
        { __LINE__, "file link", "../kept/file.bin" },
        { __LINE__, "sub\\folder link", "../../kept" },
        { __LINE__, "sub\\file link", "../../kept/file.bin" },
    };
    const std::string dir = TestDir();
    const std::string kept = dir + "\\kept";
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        const std::string tree = dir + "\\tree";
        ASSERT_TRUE(MakeDirectories(tree + "\\sub"));
        ASSERT_TRUE(MakeDirectories(kept + "\\empty"));
        ASSERT_TRUE(WriteBytes(kept + "\\file.bin", RandomBytes(10, 1)));
        ASSERT_TRUE(WriteBytes(tree + "\\sub\\own.bin", RandomBytes(10, 2)));
        ASSERT_TRUE(RunLinuxCommand(std::string("ln -s '") + c.target + "' '" +
                                    UnixPath(tree + "\\" + c.link) + "'"));
        ASSERT_TRUE(FileExists(tree + "\\" + c.link)) << "no link was made";
        RemoveTree(tree);
        EXPECT_FALSE(FileExists(tree));
        EXPECT_EQ(ReadBytes(kept + "\\file.bin"), RandomBytes(10, 1));
        EXPECT_TRUE(FileExists(kept + "\\empty"));
    }
}

}  // namespace
