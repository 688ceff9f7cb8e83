#pragma once
#include "Connection.h"
#include <QString>
#include <memory>

// A primary and its streaming standby, private clusters of one test program, so that it may
// stop either and promote the standby. The primary is the cluster TestDb and TestApp use
// while the pair lives (databases are made there and stream to the standby).
class StandbyPair {
public:
    StandbyPair();
    ~StandbyPair();
    StandbyPair(const StandbyPair&) = delete;
    StandbyPair& operator=(const StandbyPair&) = delete;

    // Each server's address, as the program is given it.
    QString primary() const;
    QString standby() const;

    void stopPrimary();
    void stopStandby();
    void startStandby();
    // The standby takes writes (after the primary has stopped).
    void promote();
    // Waits until the standby has replayed what the primary has written so far.
    void catchUp();
    // The standby stops (and goes on) replaying what it receives: it lags behind the primary.
    void pauseReplay();
    void resumeReplay();
    // The site administrator's connection to a database on one of the two.
    static std::unique_ptr<Connection> connect(const QString& server, const QString& database, const QString& name);

private:
    QString dir_;
    QByteArray previous_; // PW_TEST_CLUSTER before
};
