#include "CuttingProxy.h"
#include "rules/Shell.h"
#include <QByteArray>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <climits>
#include <cstring>
#include <vector>

namespace {
sockaddr_un unixAddress(const QString& dir, const QString& port)
{
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const QByteArray path = (dir + QStringLiteral("/.s.PGSQL.") + port).toLocal8Bit();
    std::strncpy(a.sun_path, path.constData(), sizeof a.sun_path - 1);
    return a;
}

sockaddr_in tcpAddress(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
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

// The first message of a client that asks for TLS: length 8, code 80877103.
bool isTlsRequest(const char* buf, ssize_t n)
{
    static const unsigned char request[8] = {0, 0, 0, 8, 0x04, 0xd2, 0x16, 0x2f};
    return n == 8 && std::memcmp(buf, request, 8) == 0;
}
} // namespace

CuttingProxy::CuttingProxy(const QString& server, Cut cut, const QByteArray& marker)
    : server_(server), how_(cut), marker_(marker)
{
    tcp_ = !server.startsWith(QLatin1Char('/'));
    if (tcp_) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = tcpAddress(0);
        socklen_t len = sizeof a;
        if (::bind(listener_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || ::listen(listener_, 16) != 0
            || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            qFatal("the proxy cannot listen on 127.0.0.1");
        port_ = ntohs(a.sin_port);
    } else {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un a = unixAddress(dir_.path(), QStringLiteral("5432"));
        if (::bind(listener_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || ::listen(listener_, 16) != 0)
            qFatal("the proxy cannot listen in %s", qPrintable(dir_.path()));
    }
    thread_ = std::thread([this] { serve(); });
}

CuttingProxy::~CuttingProxy()
{
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

QString CuttingProxy::server() const
{
    return tcp_ ? QStringLiteral("127.0.0.1:%1").arg(port_) : dir_.path();
}

void CuttingProxy::silence(bool newLinesToo)
{
    silentNew_ = newLinesToo;
    silentBelow_ = newLinesToo ? INT_MAX : int(lines_);
    cut_ = true;
}

int CuttingProxy::connectToServer() const
{
    const Shell::HostPort where = Shell::hostAndPort(server_);
    int fd = -1;
    int r = -1;
    if (tcp_) {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in a = tcpAddress(where.port.toInt());
        r = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    } else {
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un a = unixAddress(where.host, where.port);
        r = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    }
    if (r != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void CuttingProxy::serve()
{
    std::vector<std::thread> relays;
    std::vector<int> unanswered;
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0)
            continue;
        if (silentNew_) {
            unanswered.push_back(client); // taken, and never answered
            continue;
        }
        if (cut_ && unreachable_) {
            ::close(client);
            continue;
        }
        const int line = lines_++;
        relays.emplace_back([this, client, line] { relay(client, line); });
    }
    for (std::thread& t : relays)
        t.join();
    for (int fd : unanswered)
        ::close(fd);
}

// Passes bytes both ways until either side closes, the test ends, or the line is cut; a
// silent line holds on to both ends and passes nothing.
void CuttingProxy::relay(int client, int line)
{
    const int server = connectToServer();
    if (server < 0) {
        ::close(client);
        return;
    }
    const bool silentCut = how_ == Cut::SilentBeforeCommit || how_ == Cut::SilentAfterCommitAnswered;
    const bool before = how_ == Cut::BeforeCommit || how_ == Cut::SilentBeforeCommit;
    std::vector<char> buf(65536);
    bool open = true;
    bool mine = false; // this line went silent at its COMMIT
    bool first = true;
    while (open && !stop_) {
        if (mine || line < silentBelow_) {
            ::usleep(20000);
            continue;
        }
        pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(p, 2, 50) <= 0)
            continue;
        for (int i = 0; i < 2 && open && !mine; ++i) {
            if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::recv(p[i].fd, buf.data(), buf.size(), 0);
            if (n <= 0) {
                open = false;
                break;
            }
            if (i == 0 && first) {
                first = false;
                if (isTlsRequest(buf.data(), n)) {
                    open = sendAll(client, "N", 1);
                    continue;
                }
            }
            const bool commit = i == 0 && how_ != Cut::None && !cut_
                                && QByteArray::fromRawData(buf.data(), int(n)).contains(marker_);
            if (commit && before) {
                cut_ = true;
                if (silentCut)
                    mine = true;
                else
                    open = false;
                break;
            }
            open = sendAll(i == 0 ? server : client, buf.data(), n);
            if (commit) {
                // The server's answer comes, and goes nowhere.
                pollfd s{server, POLLIN, 0};
                if (::poll(&s, 1, 5000) > 0)
                    ::recv(server, buf.data(), buf.size(), 0);
                cut_ = true;
                if (silentCut)
                    mine = true;
                else
                    open = false;
            }
        }
    }
    ::close(client);
    ::close(server);
}
