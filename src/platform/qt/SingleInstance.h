#pragma once

#include <QLockFile>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace qm::platform {

// The name of the one instance a user may run on one display: "quillmere-" + the user id + "-" +
// the display ($WAYLAND_DISPLAY, else $DISPLAY without its screen number, else the login
// session's id, else "console"), with every character that may not stand in a file name written
// as "_" and its hex code.
QString InstanceName(const QProcessEnvironment& environment, unsigned userId);

// The folder that holds the instance's lock file and endpoint: $XDG_RUNTIME_DIR (private to the
// user) when it names a folder. Otherwise "quillmere-" + the user id in the temporary folder
// ($TMPDIR, else /tmp), made when missing; as everybody may write there, it is used only when it
// is a real folder of this user that nobody else may enter, and is empty otherwise: a folder that
// another user made could hold a lock that keeps this user's program from starting.
QString InstanceFolder(const QProcessEnvironment& environment, unsigned userId);

// One running instance per user and display. The first process to Claim() holds a lock file for
// as long as it lives and listens on a local endpoint beside it; a later one finds the lock held,
// asks the running instance to come to the front through the endpoint, and learns that it is the
// second. A crashed instance leaves its lock and endpoint behind: the lock names a process that
// no longer runs, so the next start takes it over and replaces the endpoint.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role { First, Second };

    SingleInstance(QString folder, QString name, QObject* parent = nullptr);
    // The instance of this user on this display.
    static std::unique_ptr<SingleInstance> ForThisSession();
    ~SingleInstance() override;

    // First: this process is the instance (also when the lock or the endpoint cannot be made at
    // all, or folder is empty: a program that cannot tell runs rather than refuse to start) and
    // reports every activation request by ActivationRequested. Second: another process is the
    // instance and has been asked to come to the front; this one should end. Waits at most waitMs
    // for a running instance that is still starting to answer.
    Role Claim(int waitMs = 5000);
    // Second: whether the running instance confirmed the activation request.
    bool ActivationDelivered() const { return m_delivered; }
    // The endpoint's full path.
    QString EndpointPath() const;

signals:
    // Another start asked the running instance to come to the front.
    void ActivationRequested();

private:
    void Listen();
    void Serve(QLocalSocket* socket);
    bool RequestActivation(int waitMs);

    QString m_folder;
    QString m_name;
    QLockFile m_lock;
    QLocalServer* m_server = nullptr;
    bool m_delivered = false;
};

}  // namespace qm::platform
