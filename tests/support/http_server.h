// A small HTTP server on 127.0.0.1 for tests: canned replies per path, short bodies and stalls.
#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qelt::testing
{

struct cHttpReply
{
    explicit cHttpReply(int status = 200, std::string body = {})
        : status(status), body(std::move(body))
    {
    }
    // Announces length bytes; more than the body makes a short transfer.
    cHttpReply& declaring(std::size_t length)
    {
        declaredLength = length;
        return *this;
    }
    cHttpReply& redirectingTo(std::string target)
    {
        location = std::move(target);
        return *this;
    }
    // Stalls before the status line, or after some body bytes, until the client gives up.
    cHttpReply& stallingBeforeHeaders()
    {
        stallBeforeHeaders = true;
        return *this;
    }
    cHttpReply& stallingAfter(std::size_t bytes)
    {
        stallAfter = bytes;
        return *this;
    }

    int status;
    std::string body;
    std::optional<std::size_t> declaredLength; // the body's size when empty
    std::string location;
    bool stallBeforeHeaders = false;
    std::optional<std::size_t> stallAfter;
};

struct cHttpRequest
{
    std::string target; // as sent: "/name?query"
    std::string userAgent;
};

// Serves one connection at a time on a thread of its own; a path without a reply gets 404.
class cHttpServer
{
  public:
    cHttpServer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof address;
        const bool ready =
            listener_ >= 0 &&
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(listener_, 16) == 0 &&
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        EXPECT_TRUE(ready) << "cannot listen on 127.0.0.1: " << std::strerror(errno);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~cHttpServer()
    {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    cHttpServer(const cHttpServer&) = delete;
    cHttpServer& operator=(const cHttpServer&) = delete;

    void reply(const std::string& path, const cHttpReply& reply)
    {
        std::lock_guard<std::mutex> guard(lock_);
        replies_[path] = reply;
    }
    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::vector<cHttpRequest> requests()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return requests_;
    }

  private:
    // Waits for the socket to be readable, in slices so that stop_ is seen.
    bool waitReadable(int socket)
    {
        while (!stop_)
        {
            pollfd entry{socket, POLLIN, 0};
            const int ready = ::poll(&entry, 1, 20);
            if (ready > 0)
                return true;
            if (ready < 0 && errno != EINTR)
                return false;
        }
        return false;
    }

    void serve()
    {
        while (waitReadable(listener_))
        {
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0)
                continue;
            handle(client);
            ::close(client);
        }
    }

    // Holds the connection open until the client closes it or the server stops.
    void stall(int client)
    {
        char scrap[256];
        while (waitReadable(client) && ::recv(client, scrap, sizeof scrap, 0) > 0)
        {
        }
    }

    void sendAll(int client, const std::string& bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size())
        {
            const ssize_t n =
                ::send(client, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += std::size_t(n);
        }
    }

    void handle(int client)
    {
        std::string request;
        char chunk[1024];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536)
        {
            if (!waitReadable(client))
                return;
            const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
            if (n <= 0)
                return;
            request.append(chunk, std::size_t(n));
        }
        cHttpRequest seen;
        const std::size_t space = request.find(' ');
        const std::size_t second = request.find(' ', space + 1);
        if (space != std::string::npos && second != std::string::npos)
            seen.target = request.substr(space + 1, second - space - 1);
        const std::size_t agent = request.find("\r\nUser-Agent: ");
        if (agent != std::string::npos)
        {
            const std::size_t start = agent + 14;
            seen.userAgent = request.substr(start, request.find("\r\n", start) - start);
        }
        const std::string path = seen.target.substr(0, seen.target.find('?'));

        cHttpReply reply;
        {
            std::lock_guard<std::mutex> guard(lock_);
            requests_.push_back(seen);
            const auto found = replies_.find(path);
            if (found != replies_.end())
                reply = found->second;
            else
                reply = cHttpReply(404, "not found");
        }
        if (reply.stallBeforeHeaders)
            return stall(client);

        std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " Canned\r\n";
        head +=
            "Content-Length: " + std::to_string(reply.declaredLength.value_or(reply.body.size())) +
            "\r\n";
        if (!reply.location.empty())
            head += "Location: " + reply.location + "\r\n";
        head += "Connection: close\r\n\r\n";
        sendAll(client, head);
        if (reply.stallAfter)
        {
            sendAll(client, reply.body.substr(0, *reply.stallAfter));
            return stall(client);
        }
        sendAll(client, reply.body);
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::map<std::string, cHttpReply> replies_;
    std::vector<cHttpRequest> requests_;
    std::thread thread_;
};

} // namespace qelt::testing
