#include "platform/gui/Shell.h"

#include <QProcess>
#include <QStringList>

bool ShellOpen(const std::string& target, const std::string& program) {
  if (target.empty()) return false;
  // The target is one argument: no shell sees it, so nothing in it is interpreted.
  return QProcess::startDetached(QString::fromStdString(program),
                                 QStringList{QString::fromStdString(target)});
}
