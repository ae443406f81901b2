// The window's few contacts with the desktop: message boxes, open-file
// dialogs, web addresses and the general error handler. Each goes through one
// function with a replaceable hook, so tests can answer dialogs and record
// messages instead of blocking on a modal window.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <string_view>

class QWidget;

namespace kestrelpix::window {

// A plain modal message box with an OK button. A carriage return in the text
// is a line break. With a hook installed, the hook receives the text (line
// breaks already converted) instead.
void ShowMessage(const QString& text);
void ShowMessage(std::string_view text);
// A message that does not wait: the box is shown beside the active window
// and the program goes on; the user closes it whenever. The same hook as
// ShowMessage receives it.
void ShowNote(std::string_view text);
using MessageHook = std::function<void(const QString&)>;
// Installs a hook and returns the previous one; an empty hook restores the box.
MessageHook SetMessageHook(MessageHook hook);

// The application's general error handler: runs a handler and shows the text
// of any error that leaves it, as the event loop would for an unhandled
// error. Returns false when an error was shown.
bool RunGuarded(const std::function<void()>& handler);

// A file dialog that keeps its file name between showings: the window holds
// one per purpose, and each remembers the last file chosen. The filter is in Qt's form, for example
// "*.srt;*.txt (*.srt *.txt)"; a typed name of another extension is
// accepted. Unless mustExist is set, a name that does not exist yet may be
// typed. A save dialog (save set) names a file to write: its button reads
// "Save", and choosing an existing file asks nothing, since the caller
// appends to it.
struct OpenDialog {
  QString title;
  QString filter;
  QString fileName;  // empty until a file was chosen
  bool mustExist = true;
  bool save = false;

  // Shows the dialog. A confirmed choice replaces fileName; a cancelled
  // dialog leaves it as it was. Returns whether the user confirmed.
  bool Execute(QWidget* parent);
};
// A hook answers in place of the dialog: it returns the chosen file name,
// or an empty text for a cancelled dialog.
using OpenDialogHook = std::function<QString(const OpenDialog&)>;
OpenDialogHook SetOpenDialogHook(OpenDialogHook hook);

// Asks the desktop to open a web address in the user's browser, without
// waiting for it. When no browser can be started, a message shows the
// address so the user can open it by hand. A hook answers whether a browser
// took the address.
void OpenUrl(const QString& address);
inline constexpr const char* kNoBrowserMessage = "No web browser could be started to open:";
using UrlHook = std::function<bool(const QString&)>;
UrlHook SetUrlHook(UrlHook hook);

// File names between Qt and the core: the core holds names in the file
// system's own bytes.
std::string LocalPath(const QString& path);
QString FromLocalPath(const std::string& path);
// Subtitle text (bytes in the system code page) for display.
QString FromSystemText(std::string_view bytes);

}  // namespace kestrelpix::window
