#pragma once
// A lean web server for the web benchmarks, run in a process of its own: one poll() loop,
// no Qt, so that what it costs per request weighs as little as possible on both sides.
// It listens on 127.0.0.1, plain or secure (with the certificate and key it is given, see
// writeCertificate()), prints its port and ends when its standard input closes.
//
// Every request is answered at once: a small page that keeps the connection ("keep-alive"),
// the same page with the connection closed after it ("closing"), or a file of FileBytes
// whose byte i is i % 251 ("download"; a HEAD gets the header alone). A connection whose
// request header runs past MaxRequestBytes is closed.

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace bench {

constexpr long long FileBytes = 48LL * 1024 * 1024;
constexpr size_t MaxRequestBytes = 64 * 1024;

// Byte at of the download server's file.
inline unsigned char fileByte(long long at)
{
    return static_cast<unsigned char>(at % 251);
}

// Writes a new P-256 key and a certificate signed by it for the name "bench.example" and
// the address 127.0.0.1, valid for a month, as PEM files; false when that failed.
inline bool writeCertificate(const std::string &certificatePath, const std::string &keyPath)
{
    EVP_PKEY *key = EVP_EC_gen("P-256");
    X509 *cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), -86400);
    X509_gmtime_adj(X509_getm_notAfter(cert), 30 * 86400);
    X509_NAME *subject = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>("bench.example"),
                               -1, -1, 0);
    X509_set_issuer_name(cert, subject);
    X509_set_pubkey(cert, key);
    X509V3_CTX v3;
    X509V3_set_ctx(&v3, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION *names = X509V3_EXT_conf_nid(nullptr, &v3, NID_subject_alt_name, "DNS:bench.example,IP:127.0.0.1");
    X509_add_ext(cert, names, -1);
    X509_EXTENSION_free(names);
    X509_sign(cert, key, EVP_sha256());
    bool ok = false;
    if (std::FILE *file = std::fopen(certificatePath.c_str(), "w")) {
        ok = PEM_write_X509(file, cert) == 1;
        ok = std::fclose(file) == 0 && ok;
    }
    if (std::FILE *file = std::fopen(keyPath.c_str(), "w")) {
        ok = PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1 && ok;
        ok = std::fclose(file) == 0 && ok;
    }
    X509_free(cert);
    EVP_PKEY_free(key);
    return ok;
}

class LeanServer
{
public:
    enum class Kind { KeepAlive, Closing, Download };

    // kind: "keep-alive", "closing" or "download"; a secure server is given the PEM files
    // of its certificate and key.
    static int serve(const std::string &kind, const std::string &certificate = {}, const std::string &key = {})
    {
        std::signal(SIGPIPE, SIG_IGN);
        LeanServer server(kind == "closing" ? Kind::Closing : kind == "download" ? Kind::Download : Kind::KeepAlive);
        if (!server.listenOn(certificate, key))
            return 1;
        std::printf("%u\n", unsigned(server.m_port));
        std::fflush(stdout);
        server.loop();
        return 0;
    }

private:
    struct Connection {
        int fd = -1;
        SSL *ssl = nullptr;
        bool accepted = false;      // the handshake is over (always, for plain connections)
        bool wantWrite = false;     // the last write could not go on
        bool closing = false;       // close once all is sent
        std::string in;
        std::string out;            // header bytes not yet sent
        long long fileAt = 0;       // the next byte of the file to send
        long long fileEnd = 0;
    };

    explicit LeanServer(Kind kind) : m_kind(kind)
    {
        // The file's bytes from any offset: a run of the pattern, 251 bytes longer than a block.
        m_pattern.resize(Block + 251);
        for (size_t i = 0; i < m_pattern.size(); ++i)
            m_pattern[i] = char(fileByte(static_cast<long long>(i)));
    }
    ~LeanServer()
    {
        for (auto &entry : m_connections)
            drop(entry.second, false);
        if (m_listener >= 0)
            ::close(m_listener);
        SSL_CTX_free(m_tls);
    }

    static constexpr size_t Block = 256 * 1024;

    bool listenOn(const std::string &certificate, const std::string &key)
    {
        if (!certificate.empty() && !(m_tls = secureContext(certificate, key)))
            return false;
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || ::listen(m_listener, 128) != 0
            || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
            return false;
        m_port = ntohs(address.sin_port);
        return true;
    }

    // A context with the certificate and key of the PEM files given.
    static SSL_CTX *secureContext(const std::string &certificate, const std::string &key)
    {
        SSL_CTX *context = SSL_CTX_new(TLS_server_method());
        if (!context || SSL_CTX_use_certificate_chain_file(context, certificate.c_str()) != 1
            || SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM) != 1) {
            SSL_CTX_free(context);
            return nullptr;
        }
        SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
        return context;
    }

    void loop()
    {
        std::vector<pollfd> watched;
        for (;;) {
            watched.clear();
            watched.push_back({0, POLLIN, 0});
            watched.push_back({m_listener, POLLIN, 0});
            for (const auto &entry : m_connections) {
                const Connection &c = entry.second;
                const bool sending = c.wantWrite || (c.accepted && (!c.out.empty() || c.fileAt < c.fileEnd));
                watched.push_back({c.fd, short(sending ? POLLOUT : POLLIN), 0});
            }
            if (::poll(watched.data(), watched.size(), -1) < 0)
                continue;
            if (watched[0].revents) {
                char c;
                if (::read(0, &c, 1) <= 0)
                    return;
            }
            if (watched[1].revents & POLLIN)
                acceptAll();
            for (size_t i = 2; i < watched.size(); ++i) {
                if (!watched[i].revents)
                    continue;
                const auto found = m_connections.find(watched[i].fd);
                if (found != m_connections.end() && !serve(found->second)) {
                    drop(found->second, false);
                    m_connections.erase(found);
                }
            }
        }
    }

    void acceptAll()
    {
        for (;;) {
            const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                return;
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            Connection &c = m_connections[fd];
            c = Connection();
            c.fd = fd;
            c.accepted = !m_tls;
            if (m_tls) {
                c.ssl = SSL_new(m_tls);
                SSL_set_fd(c.ssl, fd);
                SSL_set_accept_state(c.ssl);
            }
        }
    }

    // Goes on with a connection as far as it can; false once it is over.
    bool serve(Connection &c)
    {
        if (!c.accepted) {
            const int done = SSL_do_handshake(c.ssl);
            if (done != 1)
                return retry(c, done);
            c.accepted = true;
        }
        for (;;) {
            if (!c.out.empty() || c.fileAt < c.fileEnd) {
                const int sent = send(c);
                if (sent <= 0)
                    return sent == 0;
                continue;
            }
            if (c.closing) {
                drop(c, true);
                return false;
            }
            size_t end = c.in.find("\r\n\r\n");
            if (end != std::string::npos) {
                answer(c, c.in.compare(0, 5, "HEAD ") == 0);
                c.in.erase(0, end + 4);
                continue;
            }
            char buffer[16 * 1024];
            const long got = c.ssl ? SSL_read(c.ssl, buffer, sizeof buffer) : ::read(c.fd, buffer, sizeof buffer);
            if (got <= 0)
                return c.ssl ? retry(c, int(got)) : got < 0 && errno == EAGAIN;
            c.in.append(buffer, size_t(got));
            if (c.in.size() > MaxRequestBytes)
                return false;
        }
    }

    void answer(Connection &c, bool head)
    {
        static const std::string page = "<html></html>";
        if (m_kind == Kind::Download) {
            c.out = "HTTP/1.1 200 OK\r\nContent-Type: application/zip\r\nContent-Length: " + std::to_string(FileBytes)
                    + "\r\n\r\n";
            c.fileAt = 0;
            c.fileEnd = head ? 0 : FileBytes;
            return;
        }
        c.closing = m_kind == Kind::Closing;
        c.out = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 13\r\n"
                + std::string(c.closing ? "Connection: close\r\n" : "") + "\r\n" + page;
    }

    // Sends the next bytes; answers how many went, 0 when the peer cannot take more now,
    // -1 when the connection failed.
    int send(Connection &c)
    {
        const char *data;
        size_t size;
        if (!c.out.empty()) {
            data = c.out.data();
            size = c.out.size();
        } else {
            data = m_pattern.data() + c.fileAt % 251;
            size = size_t(std::min<long long>(Block, c.fileEnd - c.fileAt));
        }
        const long sent = c.ssl ? SSL_write(c.ssl, data, int(size)) : ::write(c.fd, data, size);
        if (sent <= 0) {
            if (c.ssl)
                return retry(c, int(sent)) ? 0 : -1;
            c.wantWrite = errno == EAGAIN;
            return c.wantWrite ? 0 : -1;
        }
        c.wantWrite = false;
        if (!c.out.empty())
            c.out.erase(0, size_t(sent));
        else
            c.fileAt += sent;
        return int(sent);
    }

    // After an unfinished TLS call: true when it waits for the socket.
    static bool retry(Connection &c, int result)
    {
        const int error = SSL_get_error(c.ssl, result);
        c.wantWrite = error == SSL_ERROR_WANT_WRITE;
        ERR_clear_error();
        return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE;
    }

    static void drop(Connection &c, bool orderly)
    {
        if (c.fd < 0)
            return;
        if (c.ssl) {
            if (orderly)
                SSL_shutdown(c.ssl);
            SSL_free(c.ssl);
        }
        ::close(c.fd);
        c.ssl = nullptr;
        c.fd = -1;
    }

    Kind m_kind;
    SSL_CTX *m_tls = nullptr;
    int m_listener = -1;
    unsigned short m_port = 0;
    std::map<int, Connection> m_connections;
    std::string m_pattern;
};

} // namespace bench
