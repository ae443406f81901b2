#include "app/window/platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>
#include <exception>
#include <utility>

#include "render/text_decode.h"

namespace kestrelpix::window {

namespace {

MessageHook& CurrentMessageHook() {
  static MessageHook hook;
  return hook;
}

OpenDialogHook& CurrentDialogHook() {
  static OpenDialogHook hook;
  return hook;
}

UrlHook& CurrentUrlHook() {
  static UrlHook hook;
  return hook;
}

}  // namespace

void ShowMessage(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QChar('\r'), QChar('\n'));
  if (CurrentMessageHook()) {
    // Copied, so a hook that replaces itself while it runs stays alive.
    MessageHook hook = CurrentMessageHook();
    hook(shown);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), shown,
                  QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

void ShowMessage(std::string_view text) { ShowMessage(FromSystemText(text)); }

void ShowNote(std::string_view text) {
  if (CurrentMessageHook()) {
    ShowMessage(text);
    return;
  }
  auto* box = new QMessageBox(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                              FromSystemText(text), QMessageBox::Ok, QApplication::activeWindow());
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

MessageHook SetMessageHook(MessageHook hook) {
  return std::exchange(CurrentMessageHook(), std::move(hook));
}

bool RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (const std::exception& e) {
    ShowMessage(std::string_view(e.what()));
  }
  return false;
}

bool OpenDialog::Execute(QWidget* parent) {
  QString chosen;
  if (CurrentDialogHook()) {
    OpenDialogHook hook = CurrentDialogHook();
    chosen = hook(*this);
  } else {
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!fileName.isEmpty()) dialog.selectFile(fileName);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      chosen = dialog.selectedFiles().constFirst();
    }
  }
  if (chosen.isEmpty()) return false;
  fileName = chosen;
  return true;
}

OpenDialogHook SetOpenDialogHook(OpenDialogHook hook) {
  return std::exchange(CurrentDialogHook(), std::move(hook));
}

void OpenUrl(const QString& address) {
  bool opened = false;
  if (CurrentUrlHook()) {
    UrlHook hook = CurrentUrlHook();
    opened = hook(address);
  } else {
    opened = QDesktopServices::openUrl(QUrl(address));
  }
  if (!opened) ShowMessage(kNoBrowserMessage + QString("\r") + address);
}

UrlHook SetUrlHook(UrlHook hook) { return std::exchange(CurrentUrlHook(), std::move(hook)); }

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FromLocalPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

QString FromSystemText(std::string_view bytes) {
  return QString::fromStdString(SystemTextToUtf8(bytes));
}

}  // namespace kestrelpix::window
