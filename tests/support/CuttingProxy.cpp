#include "CuttingProxy.h"
#include <QByteArray>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <cstring>
#include <vector>

namespace {
const char* const kSocketName = "/.s.PGSQL.5432";

sockaddr_un addressOf(const QString& dir)
{
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const QByteArray path = (dir + QLatin1String(kSocketName)).toLocal8Bit();
    std::strncpy(a.sun_path, path.constData(), sizeof a.sun_path - 1);
    return a;
}

bool sendAll(int fd, const char* data, ssize_t n)
{
    while (n > 0) {
        const ssize_t w = ::send(fd, data, size_t(n), MSG_NOSIGNAL);
        if (w <= 0)
            return false;
        data += w;
        n -= w;
    }
    return true;
}
} // namespace

CuttingProxy::CuttingProxy(const QString& serverSocketDir, Cut cut, const QByteArray& marker)
    : server_(serverSocketDir), how_(cut), marker_(marker)
{
    listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un a = addressOf(dir_.path());
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || ::listen(listener_, 8) != 0)
        qFatal("the proxy cannot listen in %s", qPrintable(dir_.path()));
    thread_ = std::thread([this] { serve(); });
}

CuttingProxy::~CuttingProxy()
{
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

void CuttingProxy::serve()
{
    std::vector<std::thread> relays;
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client >= 0 && cut_ && unreachable_)
            ::close(client);
        else if (client >= 0)
            relays.emplace_back([this, client] { relay(client); });
    }
    for (std::thread& t : relays)
        t.join();
}

// Passes bytes both ways until either side closes, the test ends, or the line is cut.
void CuttingProxy::relay(int client)
{
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un a = addressOf(server_);
    if (::connect(server, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        ::close(client);
        ::close(server);
        return;
    }
    char buf[65536];
    bool open = true;
    while (open && !stop_) {
        pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(p, 2, 50) <= 0)
            continue;
        for (int i = 0; i < 2 && open; ++i) {
            if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::recv(p[i].fd, buf, sizeof buf, 0);
            if (n <= 0) {
                open = false;
                break;
            }
            const bool marked = i == 0 && !cut_ && QByteArray::fromRawData(buf, int(n)).contains(marker_);
            if (marked && how_ == Cut::BeforeCommit) {
                cut_ = true;
                open = false;
                break;
            }
            open = sendAll(i == 0 ? server : client, buf, n);
            if (marked) {
                // The server's answer comes, and goes nowhere.
                pollfd s{server, POLLIN, 0};
                if (::poll(&s, 1, 5000) > 0)
                    ::recv(server, buf, sizeof buf, 0);
                cut_ = true;
                open = false;
            }
        }
    }
    ::close(client);
    ::close(server);
}
