// LinuxSystemActions: the system actions over D-Bus and child processes.
#include "app/linux_system_actions.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString ToQString(const CString& text) { return QString::fromStdU16String(text.str()); }

}  // namespace

int LinuxSystemActions::PowerOff()
{
    QDBusInterface logind(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                          QStringLiteral("org.freedesktop.login1.Manager"), QDBusConnection::systemBus());
    if (!logind.isValid()) return 0;
    const QDBusMessage reply = logind.call(QStringLiteral("PowerOff"), false);
    return reply.type() == QDBusMessage::ReplyMessage ? 1 : 0;
}

int LinuxSystemActions::ClearArpCache()
{
    return QProcess::execute(QStringLiteral("ip"), {QStringLiteral("neigh"), QStringLiteral("flush"), QStringLiteral("all")}) == 0
               ? 1
               : 0;
}

int LinuxSystemActions::OpenDocument(const CString& path)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {ToQString(path)}) ? 1 : 0;
}

int LinuxSystemActions::StartProgram(const CString& path, const std::vector<CString>& arguments)
{
    QStringList list;
    for (const CString& argument : arguments) list << ToQString(argument);
    return QProcess::startDetached(ToQString(path), list) ? 1 : 0;
}

int LinuxSystemActions::NamedMutexExists(const CString& name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime != nullptr && *runtime != '\0' ? runtime : "/tmp";
    const std::string path = folder + "/" + name.ToUtf8() + ".lock";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // releases the lock if this check took it
    return held ? 1 : 0;
}
