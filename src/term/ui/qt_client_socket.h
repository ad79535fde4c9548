// A terminal's connection: a non-blocking socket whose events reach the
// terminal core as its six notifications, in the order lookup (for a host
// name), connecting, connect, then reads, and disconnect or error. With TLS
// on, connect waits for the handshake, and a certificate that does not
// verify is put to the user.
#pragma once

#include <QObject>
#include <QSslSocket>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>

#include "accounts/cert_trust.h"
#include "term/platform.h"

namespace ombrel {

class TermCore;
class TermSession;

class QtClientSocket : public QObject, public IClientSocket {
  Q_OBJECT
 public:
  // Becomes the core's socket; the core must outlive it.
  explicit QtClientSocket(TermCore& core, QObject* parent = nullptr);
  ~QtClientSocket() override;

  // Where to connect: a numeric address (no name lookup) or a host name;
  // setting one clears the other.
  void SetAddress(const std::string& address);
  void SetHost(const std::string& host);
  void SetPort(int port);

  // Starts connecting and returns at once; what follows arrives as
  // notifications. An open connection is closed first, its disconnect
  // reported before this returns. False when the request failed at once
  // (reported to the core as a connect error).
  bool Open();
  // A numeric text as an address, anything else as a host name.
  bool Open(const std::string& target, int port);

  // IClientSocket
  void SendText(const std::string& bytes) override;
  // From the request to open until the connection is gone.
  bool Active() const override;
  // Once connected and until the disconnect.
  bool Established() const override { return connected_; }
  void Close() override;
  std::string Address() const override { return address_; }
  std::string Host() const override { return host_; }
  int Port() const override { return port_; }

  // For the next Open: plain, as ever, or TLS with the system's authorities.
  void SetTls(bool on) { tls_ = on; }
  bool Tls() const { return tls_; }
  // Where certificates the user always trusts are kept (trusted_certs.dat).
  void SetTrustFile(const std::string& path) { trustFile_ = path; }
  // The question about a certificate that does not verify; a dialog unless
  // a test answers.
  TrustAsker askTrust;
  // How long the TLS handshake may take, the question to the user not
  // counted: as long as Qt gives a connect attempt. A server that accepts
  // and says nothing then fails to connect instead of hanging the terminal.
  static constexpr std::chrono::milliseconds kHandshakeLimit{30000};
  void SetHandshakeLimit(std::chrono::milliseconds limit) { handshakeTimer_.setInterval(limit); }

  static constexpr qint64 kReadBufferSize = 256 * 1024;

 private:
  void StateChanged(QAbstractSocket::SocketState state);
  void ConnectedToPeer();
  void Encrypted();
  void SslErrors(const QList<QSslError>& errors);
  void ReadyRead();
  void DisconnectedFromPeer();
  void ErrorOccurred(QAbstractSocket::SocketError error);
  void HandshakeTimedOut();
  // Connected to the peer, the TLS handshake not done.
  bool Handshaking() const;
  // Runs now, or after the send in progress when one is.
  void Notify(std::function<void()> notice);

  TermCore& core_;
  // Unencrypted unless opened with TLS: the plain path is a QTcpSocket's.
  QSslSocket socket_;
  std::string address_, host_;
  int port_ = 23;
  bool tls_ = false;
  std::string trustFile_;
  QTimer handshakeTimer_;
  bool lookingUp_ = false;
  bool connectingReported_ = false;
  bool connected_ = false;
  int sending_ = 0;
};

// A new connection for `session`, which keeps it.
QtClientSocket& AttachQtSocket(TermSession& session);

}  // namespace ombrel
