#pragma once
// The line-based scenario runner of the stand-in IDE.
//
// Script commands, one per line; words are separated by spaces, "quoted
// text" may hold spaces (\" and \\ inside quotes), '#' starts a comment line.
// Scripts are UTF-8; captions become the ANSI code page when windows are made.
// A window REF is its current caption in quotes, or #n for the n-th window
// the script opened (1-based).
//
//   sample                              the demo's sample project and windows
//   open code|designer|tool "caption"   a VbaWindow, DesignerWindow or DockingView
//   open class NAME "caption"           an MDI child of any other window class
//   retitle REF "caption"               SetWindowTextA
//   activate REF                        WM_MDIACTIVATE to the MDI client
//   close REF                           WM_CLOSE
//   refuseclose REF on|off              the window ignores WM_CLOSE (on) or closes (off)
//   promptclose REF on|off              the window asks before it closes, as for
//                                       unsaved changes (on), or closes (off)
//   minimize|maximize|restore REF
//   show|hide REF
//   addproject "name" ["document" ["file"]]
//                                       a new project (the first becomes active); in
//                                       the VBA editor with its document's name and
//                                       full path (none: never saved)
//   activeproject "name"|none
//   removeproject "project"
//   addcomponent "project" "name" TYPE ["file"]
//                                       raises ItemAdded; TYPE is a number or one of
//                                       module class form mdiform propertypage
//                                       usercontrol userdocument designer userform
//                                       document
//   removecomponent "project" "name"    raises ItemRemoved
//                                       (a "project" is its name or its document's)
//   connect MODE                        OnConnection with that connect mode: a number or
//                                       afterstartup startup external commandline
//   startupcomplete | beginshutdown | addinsupdate
//   disconnect [MODE]                   OnDisconnection: hostshutdown or userclosed (the
//                                       default), or a number
//   wait MS                             pumps messages for MS milliseconds
//   move X Y                            mouse move
//   click X Y [left|right|middle]       press and release
//   dblclick X Y
//   drag X1 Y1 X2 Y2 [left|right]       press, move in steps, release
//   wheel X Y NOTCHES                   positive: away from the user (up)
//   key NAME | keydown NAME | keyup NAME
//                                       esc ctrl shift alt enter tab space up down
//                                       left right home end pageup pagedown delete
//                                       backspace f1 f2 f4 f5 f10, or a virtual-key
//                                       number
//   screenshot "file.bmp"               the main window as a 24-bit BMP (or PNG: "x.png")
//   expect scroll REF vert|horz CODE COUNT
//                                       fails unless the code window received
//                                       exactly COUNT such messages (CODE -1: any)
//   quit                                stops the script (and the program)
//
// Mouse positions X Y are in MDI-client window coordinates: pixels from the
// top-left corner of the MDI client's window rectangle (its outer edge,
// border and any non-client strip included), because the add-in's tab bar
// lives in that window's non-client area.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/input.h"
#include "testing/screenshot.h"
#include "tools/idehost/addin_client.h"
#include "tools/idehost/ide_host.h"

namespace brisko::idehost {

struct ScenarioResult {
    bool ok = true;
    bool quit = false;    // the script said quit
    int line = 0;         // the failing line (1-based), 0 when ok
    std::string message;  // what failed, UTF-8
};

// One word of a script line; `quoted` tells "#1" (a caption) from #1.
struct Word {
    std::wstring text;
    bool quoted = false;
};

class Scenario {
public:
    // `addin` may be null: then the connection commands fail.
    Scenario(IdeHost& ide, AddInClient* addin) : ide_(ide), addin_(addin) {}

    // Runs the commands in order; stops at the first failing one. Called on
    // the IDE's thread: the script runs on a helper thread that sends the
    // input and hands every other command to this thread, which keeps
    // dispatching messages meanwhile (also inside modal loops that the
    // input opens), so the commands act on the IDE as its user would. A
    // script that ends or fails with a menu or dialog still open fails, and
    // the menu or dialog is closed with Esc.
    ScenarioResult Run(const std::string& utf8Script);
    ScenarioResult RunFile(const std::filesystem::path& file);
    // MDI-client window coordinates to screen coordinates.
    POINT ToScreen(int x, int y) const;
    // The windows the script opened, in order (#1 is the first).
    const std::vector<HWND>& Opened() const { return opened_; }

private:
    // Runs one command on the IDE's thread; returns an error text, empty on success.
    std::string Execute(const std::vector<Word>& words, bool& quit);
    HWND Resolve(const Word& ref, std::string& error) const;

    IdeHost& ide_;
    AddInClient* addin_;
    std::vector<HWND> opened_;
};

// Splits a script line into words; "quoted text" is one word. False when a
// quote is not closed.
bool SplitWords(const std::wstring& line, std::vector<Word>& words);

}  // namespace brisko::idehost
