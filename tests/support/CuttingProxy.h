#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

// A go-between on the Unix socket of a cluster that cuts the line around the first message
// a client sends with the marker in it (COMMIT unless told): before the server gets it, or
// after the server has answered it (the answer never reaches the client). Clients reach the
// server through socketDir().
class CuttingProxy {
public:
    enum class Cut { BeforeCommit, AfterCommitAnswered };
    CuttingProxy(const QString& serverSocketDir, Cut cut, const QByteArray& marker = "COMMIT");
    ~CuttingProxy();
    QString socketDir() const { return dir_.path(); }
    // Whether the line has been cut.
    bool cut() const { return cut_; }
    // While on, once the line is cut, new sessions are turned away: the server is out of reach.
    void setUnreachableAfterCut(bool on) { unreachable_ = on; }

private:
    void serve();
    void relay(int client);

    QTemporaryDir dir_;
    QString server_;
    Cut how_;
    QByteArray marker_;
    std::atomic<bool> unreachable_{false};
    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<bool> cut_{false};
    std::thread thread_;
};
