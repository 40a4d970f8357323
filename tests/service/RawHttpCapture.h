#pragma once

// A minimal server on 127.0.0.1 that keeps the exact bytes of each request it receives
// and answers every one with the same canned response; for checking what goes on the wire.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quorfw::test {

class RawHttpCapture {
public:
    explicit RawHttpCapture(std::string response) : response_(std::move(response))
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener_, 4) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }

    ~RawHttpCapture()
    {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (listener_ >= 0) {
            ::close(listener_);
        }
    }

    int Port() const { return port_; }

    std::vector<std::string> Requests()
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void Serve()
    {
        while (!stop_) {
            pollfd wait{listener_, POLLIN, 0};
            if (::poll(&wait, 1, 20) <= 0) {
                continue;
            }
            const int connection = ::accept(listener_, nullptr, nullptr);
            if (connection < 0) {
                continue;
            }
            std::string request = ReadRequest(connection);
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(std::move(request));
            }
            (void)::send(connection, response_.data(), response_.size(), MSG_NOSIGNAL);
            ::close(connection);
        }
    }

    // Up to the blank line, then as many bytes as Content-Length names.
    static std::string ReadRequest(int connection)
    {
        std::string bytes;
        char buffer[4096];
        std::size_t wanted = std::string::npos;
        while (bytes.size() < wanted) {
            pollfd wait{connection, POLLIN, 0};
            if (::poll(&wait, 1, 5000) <= 0) {
                break;
            }
            const ssize_t got = ::recv(connection, buffer, sizeof(buffer), 0);
            if (got <= 0) {
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(got));
            const std::size_t end = bytes.find("\r\n\r\n");
            if (wanted == std::string::npos && end != std::string::npos) {
                const std::size_t field = bytes.find("Content-Length: ");
                const std::size_t body = field != std::string::npos && field < end ? std::stoul(bytes.substr(field + 16)) : 0;
                wanted = end + 4 + body;
            }
        }
        return bytes;
    }

    std::string response_;
    int listener_ = -1;
    int port_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> requests_;
};

}  // namespace quorfw::test
