#include "app/SingleInstance.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <sys/stat.h>
#include <unistd.h>

namespace velt::app {
namespace {
using namespace Qt::StringLiterals;

constexpr char kAnswer = 'K';
// No start names a megabyte of paths; a sender that goes on is not a Velt.
constexpr qint64 kLargestRequest = 1 << 20;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;

QString Magic() {
    return u"velt-open/1"_s;
}

/// The user's own folder that nobody else may enter: a socket in it is the user's alone.
bool IsPrivateFolder(const QString& folder) {
    struct stat info {};
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}
} // namespace

QString InstanceFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateFolder(runtime)) {
        return runtime;
    }
    const QString own = QDir::tempPath() + u"/velt-"_s + QString::number(::geteuid());
    ::mkdir(QFile::encodeName(own).constData(), S_IRWXU); // an existing one is judged below like any other
    return IsPrivateFolder(own) ? own : QString();
}

SingleInstance::SingleInstance(QString folder, std::chrono::milliseconds patience)
    : m_folder(std::move(folder)), m_patience(patience) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&m_server, &QLocalServer::newConnection, &m_server, [this] { Accept(); });
}

bool SingleInstance::HandOverOrListen(const QStringList& paths) {
    if (m_folder.isEmpty()) {
        return false; // no safe place to meet: this start runs on its own
    }
    // Two starts at once must not both find no answer and both listen: one decides at a time.
    QLockFile lock(m_folder + u"/velt.lock"_s);
    lock.tryLock(static_cast<int>(2 * m_patience.count()));
    if (HandOver(paths)) {
        return true;
    }
    Listen();
    return false;
}

bool SingleInstance::HandOver(const QStringList& paths) const {
    QStringList absolute;
    for (const QString& path : paths) {
        absolute.append(path.isEmpty() ? path : QDir::current().absoluteFilePath(path));
    }
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << Magic() << absolute;

    const QDeadlineTimer deadline(m_patience);
    QLocalSocket socket;
    socket.connectToServer(m_folder + u"/velt.socket"_s);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    socket.write(request);
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kAnswer;
}

void SingleInstance::Listen() {
    const QString name = m_folder + u"/velt.socket"_s;
    // Nobody answered on it: what is left there is a crashed or hung Velt's.
    QLocalServer::removeServer(name);
    m_server.listen(name);
}

void SingleInstance::Accept() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            QDataStream in(socket);
            in.setVersion(kStreamVersion);
            in.startTransaction();
            QString magic;
            QStringList paths;
            in >> magic >> paths;
            if (!in.commitTransaction()) {
                if (in.status() == QDataStream::ReadCorruptData ||
                    socket->bytesAvailable() > kLargestRequest) {
                    socket->abort();
                }
                return;
            }
            if (magic != Magic()) {
                socket->abort();
                return;
            }
            socket->putChar(kAnswer);
            socket->flush();
            socket->disconnectFromServer();
            // The request's windows and messages open from the event loop, not inside this socket's signal.
            QMetaObject::invokeMethod(
                &m_server, [this, paths] { Deliver(paths); }, Qt::QueuedConnection);
        });
    }
}

void SingleInstance::Deliver(const QStringList& paths) {
    if (m_handler) {
        m_handler(paths);
    } else {
        m_early.append(paths);
    }
}

void SingleInstance::Serve(Handler handler) {
    m_handler = std::move(handler);
    for (const QStringList& paths : std::exchange(m_early, {})) {
        m_handler(paths);
    }
}

} // namespace velt::app
