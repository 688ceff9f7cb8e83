#pragma once
#include <QString>

// A cluster of a test program's own, so that it may stop and start its server without
// disturbing the tests that run beside it: made like the run's cluster (schema and the
// small fixture in pw_template), and the one TestDb and TestApp use while it lives.
class OwnCluster {
public:
    OwnCluster();
    ~OwnCluster();
    OwnCluster(const OwnCluster&) = delete;
    OwnCluster& operator=(const OwnCluster&) = delete;

    void stop();
    void start();
    const QString& dir() const { return dir_; }

private:
    QString dir_;
    QByteArray previous_; // PW_TEST_CLUSTER before
};
