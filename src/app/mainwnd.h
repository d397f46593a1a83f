// The program's frame: entry, main window, menus, shortcuts and command
// dispatch. The main window's whole client area is the job list view.
#ifndef MIRTAVOLEN_APP_MAINWND_H
#define MIRTAVOLEN_APP_MAINWND_H

#include <windows.h>
#include <shellapi.h>

#include "support/globals.h"

extern const char MainWindowClass[];  // "MirtavolenClass"

// Registers "MirtavolenClass". 1 when registered, 0 otherwise.
int RegisterMainWindowClass(HINSTANCE instance);

// Creates, shows and paints the main window at the saved place. 1 on
// success, 0 when the window could not be created.
int CreateMainWindow(HINSTANCE instance, int showCommand);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// MessageHandled, or MessageGoesOn when it is not one of the program's.
int OnCommand(HWND window, WPARAM wParam);

// MessageHandled, or MessageGoesOn.
int OnNotify(HWND window, const NMHDR* header);

// Enables and grays the entries of a popup that is about to open.
void OnInitMenuPopup(HWND window, HMENU popup);

// Adds every dropped file to the job list.
void OnDropFiles(HWND window, HDROP drop);

// Subclass of the job list view: the Applications key opens the Item popup.
LRESULT CALLBACK JobListSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The whole run: registers the class, loads the settings, creates the
// window and runs the message loop. Returns the exit code.
int RunMirtavolen(HINSTANCE instance, int showCommand);

#endif
