#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

// A go-between for the test cluster's server, on its Unix socket or on TCP like the server
// it stands for, that cuts the line or lets it go silent: around the first message a client
// sends with the marker in it (COMMIT unless told; before the server gets it, or after the
// server has answered it), or when the test says so. A silent line stops forwarding and closes nothing, as a cable or a switch that
// went dead does. It answers a client's request for TLS itself ("no"), so that it can see
// the COMMIT. Clients reach the server through server().
class CuttingProxy {
public:
    enum class Cut { None, BeforeCommit, AfterCommitAnswered, SilentBeforeCommit, SilentAfterCommitAnswered };
    // server: an address as the program takes it (a socket folder, or "127.0.0.1:port").
    explicit CuttingProxy(const QString& server, Cut cut = Cut::None, const QByteArray& marker = "COMMIT");
    ~CuttingProxy();
    // The address the client is given.
    QString server() const;
    // Whether the line has been cut, or has gone silent.
    bool cut() const { return cut_; }
    // From now on nothing is forwarded on the open lines; newLinesToo: new connections are
    // taken and never answered, otherwise they are served as usual.
    void silence(bool newLinesToo = true);
    // While on, once the line is cut, new sessions are turned away: the server is out of reach.
    void setUnreachableAfterCut(bool on) { unreachable_ = on; }
    // Lines served so far.
    int lines() const { return lines_; }

private:
    void serve();
    void relay(int client, int line);
    int connectToServer() const;

    QTemporaryDir dir_;
    QString server_;
    bool tcp_ = false;
    int port_ = 0;
    Cut how_;
    QByteArray marker_;
    std::atomic<bool> unreachable_{false};
    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<bool> cut_{false};
    std::atomic<int> silentBelow_{0}; // lines numbered below this are silent
    std::atomic<bool> silentNew_{false};
    std::atomic<int> lines_{0};
    std::thread thread_;
};
