#pragma once

#include <QLocalServer>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

namespace velt::app {

/// Where the running Velt listens for later starts: $XDG_RUNTIME_DIR, else velt-<uid> in the
/// temporary folder (made for the user alone). A folder that is not the user's, or that others
/// may enter, is not used; empty when neither will do.
QString InstanceFolder();

/// One Velt per user: a later start hands its files to the running one and ends.
class SingleInstance final {
public:
    /// The request of a later start: its files (absolute), or none when it was started without.
    using Handler = std::function<void(const QStringList& paths)>;

    /// `folder` holds the socket; `patience` is how long a running Velt may take to answer.
    explicit SingleInstance(QString folder, std::chrono::milliseconds patience = std::chrono::seconds(3));
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /// Hands `paths` (relative ones against this process's folder) to the running Velt and returns
    /// true when it took them. Otherwise this process becomes the running one, taking over a
    /// socket that nobody answers on, and false is returned.
    bool HandOverOrListen(const QStringList& paths);

    /// From now on requests go to `handler`; those that came earlier are handed to it at once.
    void Serve(Handler handler);

    /// True while later starts can reach this process.
    bool Listening() const { return m_server.isListening(); }

private:
    bool HandOver(const QStringList& paths) const;
    void Listen();
    void Accept();
    void Deliver(const QStringList& paths);

    QString m_folder;
    std::chrono::milliseconds m_patience;
    QLocalServer m_server;
    Handler m_handler;
    QList<QStringList> m_early;
};

} // namespace velt::app
