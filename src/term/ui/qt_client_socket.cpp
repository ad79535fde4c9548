#include "term/ui/qt_client_socket.h"

#include <QHostAddress>
#include <QSslCipher>
#include <QTimer>
#include <memory>

#include "accounts/address.h"
#include "term/term_core.h"
#include "term/term_session.h"
#include "term/ui/trust_dialog.h"

namespace ombrel {

QtClientSocket::QtClientSocket(TermCore& core, QObject* parent) : QObject(parent), core_(core) {
  core_.SetSocket(this);
  // A flooding server is read a bounded piece at a time, so input and
  // painting get their turn between pieces; the rest waits in the system.
  socket_.setReadBufferSize(kReadBufferSize);
  connect(&socket_, &QAbstractSocket::stateChanged, this, &QtClientSocket::StateChanged);
  connect(&socket_, &QAbstractSocket::connected, this, &QtClientSocket::ConnectedToPeer);
  connect(&socket_, &QSslSocket::encrypted, this, &QtClientSocket::Encrypted);
  connect(&socket_, &QSslSocket::sslErrors, this, &QtClientSocket::SslErrors);
  connect(&socket_, &QIODevice::readyRead, this, &QtClientSocket::ReadyRead);
  connect(&socket_, &QAbstractSocket::disconnected, this, &QtClientSocket::DisconnectedFromPeer);
  connect(&socket_, &QAbstractSocket::errorOccurred, this, &QtClientSocket::ErrorOccurred);
  handshakeTimer_.setSingleShot(true);
  handshakeTimer_.setInterval(kHandshakeLimit);
  connect(&handshakeTimer_, &QTimer::timeout, this, &QtClientSocket::HandshakeTimedOut);
  askTrust = [](const TrustQuestion& question) { return AskTrust(question); };
}

QtClientSocket& AttachQtSocket(TermSession& session) {
  auto socket = std::make_unique<QtClientSocket>(session.Core());
  QtClientSocket& attached = *socket;
  session.SetSocket(std::move(socket));
  return attached;
}

QtClientSocket::~QtClientSocket() {
  // The terminal is going away with its socket: it hears nothing more.
  socket_.disconnect(this);
  socket_.abort();
  if (core_.Socket() == this) core_.SetSocket(nullptr);
}

void QtClientSocket::SetAddress(const std::string& address) {
  address_ = address;
  host_.clear();
}

void QtClientSocket::SetHost(const std::string& host) {
  host_ = host;
  address_.clear();
}

void QtClientSocket::SetPort(int port) { port_ = port; }

bool QtClientSocket::Open(const std::string& target, int port) {
  if (IsNumericAddress(target)) {
    SetAddress(target);
  } else {
    SetHost(target);
  }
  SetPort(port);
  return Open();
}

bool QtClientSocket::Open() {
  // Reopening drops the old connection now, while the caller's reconnect
  // mark still keeps its disconnect quiet.
  if (socket_.state() != QAbstractSocket::UnconnectedState) socket_.abort();
  handshakeTimer_.stop();
  connected_ = false;
  connectingReported_ = false;
  lookingUp_ = address_.empty();
  if (port_ < 1 || port_ > 0xFFFF) {
    core_.clientsocketError(SocketErrorKind::Connect);
    return false;
  }
  const quint16 port = static_cast<quint16>(port_);
  if (!lookingUp_) {
    std::optional<uint32_t> ip = NumericAddressValue(address_);
    if (!ip) {
      core_.clientsocketError(SocketErrorKind::Connect);
      return false;
    }
    // The address in its full form: the short one would be looked up.
    if (tls_) socket_.connectToHostEncrypted(QHostAddress(*ip).toString(), port);
    if (!tls_) socket_.connectToHost(QHostAddress(*ip), port);
  } else if (tls_) {
    socket_.connectToHostEncrypted(QString::fromStdString(host_), port);
  } else {
    socket_.connectToHost(QString::fromStdString(host_), port);
  }
  return true;
}

bool QtClientSocket::Active() const { return socket_.state() != QAbstractSocket::UnconnectedState; }

bool QtClientSocket::Handshaking() const {
  return tls_ && !connected_ && socket_.state() == QAbstractSocket::ConnectedState;
}

void QtClientSocket::SendText(const std::string& bytes) {
  if (!connected_ || socket_.state() != QAbstractSocket::ConnectedState || bytes.empty()) return;
  // Written through at once, in one piece: what the terminal sends next
  // follows it on the wire. Qt keeps what the system does not take yet.
  ++sending_;
  socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
  socket_.flush();
  --sending_;
}

void QtClientSocket::Close() {
  const QAbstractSocket::SocketState state = socket_.state();
  const bool settingUp =
      state == QAbstractSocket::HostLookupState || state == QAbstractSocket::ConnectingState || Handshaking();
  handshakeTimer_.stop();
  // What was sent before closing still goes out.
  if (state == QAbstractSocket::ConnectedState) socket_.flush();
  socket_.abort();
  // The core hears of no disconnect for a connection that was still being
  // set up (Qt reports none before it connects, and under TLS the core
  // knows of none before the handshake is done); it must still hear of it,
  // or it keeps its caption and an enabled Disconnect that does nothing.
  if (settingUp) Notify([this] { core_.clientsocketDisconnect(); });
}

void QtClientSocket::Notify(std::function<void()> notice) {
  // A failure while writing must not run the terminal's handlers in the
  // middle of the operation that sent.
  if (sending_) {
    QTimer::singleShot(0, this, std::move(notice));
  } else {
    notice();
  }
}

void QtClientSocket::StateChanged(QAbstractSocket::SocketState state) {
  switch (state) {
    case QAbstractSocket::HostLookupState:
      // Qt passes through the lookup for a numeric address as well.
      if (lookingUp_) core_.clientsocketLookup();
      break;
    case QAbstractSocket::ConnectingState:
      // A name with several addresses is tried address by address.
      if (!connectingReported_) {
        connectingReported_ = true;
        core_.clientsocketConnecting();
      }
      break;
    case QAbstractSocket::UnconnectedState:
      // After a failed connect no disconnect follows; Disconnect must not
      // stay enabled.
      core_.UpdateDisconnect();
      break;
    default: break;
  }
}

void QtClientSocket::ConnectedToPeer() {
  // Under TLS nothing is said or sent before the handshake is done.
  if (tls_) {
    handshakeTimer_.start();
    return;
  }
  connected_ = true;
  core_.clientsocketConnect();
}

void QtClientSocket::Encrypted() {
  handshakeTimer_.stop();
  connected_ = true;
  const QString protocol = socket_.sessionCipher().protocolString();
  core_.clientsocketConnect(protocol.isEmpty() ? std::string("TLS") : protocol.toStdString());
}

void QtClientSocket::SslErrors(const QList<QSslError>& errors) {
  QStringList reasons;
  for (const QSslError& e : errors) reasons << e.errorString();
  const UnverifiedCertificate certificate{host_.empty() ? address_ : host_, port_,
                                          socket_.peerCertificate().digest(QCryptographicHash::Sha256).toStdString(),
                                          reasons.join("; ").toStdString()};
  const StatusLine say = [this](const std::string& line) { core_.WriteText(line, false); };
  // The user's time to answer is not the server's.
  handshakeTimer_.stop();
  const bool accepted = AcceptCertificate(certificate, trustFile_, askTrust, say);
  // The connection may have ended while the question was open.
  if (!Handshaking()) return;
  handshakeTimer_.start();
  if (accepted) socket_.ignoreSslErrors();
}

void QtClientSocket::HandshakeTimedOut() {
  if (!Handshaking()) return;
  socket_.abort();
  core_.clientsocketError(SocketErrorKind::Connect);
}

void QtClientSocket::ReadyRead() {
  QByteArray data = socket_.readAll();
  if (data.isEmpty()) return;
  core_.clientsocketRead(std::string_view(data.constData(), static_cast<size_t>(data.size())));
}

void QtClientSocket::DisconnectedFromPeer() {
  // A TLS handshake that failed ends a connection the core never heard of.
  if (!connected_) return;
  connected_ = false;
  Notify([this] { core_.clientsocketDisconnect(); });
}

void QtClientSocket::ErrorOccurred(QAbstractSocket::SocketError error) {
  // The peer closing a connection is no failure: the disconnect follows.
  if (error == QAbstractSocket::RemoteHostClosedError && connected_) return;
  SocketErrorKind kind;
  if (!connected_) {
    // Refused, unreachable, unknown host, timed out, or closed during the
    // TLS handshake: the connection was never made, and no disconnect
    // follows that the terminal would hear of.
    kind = SocketErrorKind::Connect;
    handshakeTimer_.stop();
    socket_.abort();
  } else if (sending_ || socket_.bytesToWrite() > 0) {
    kind = SocketErrorKind::Send;
  } else if (error == QAbstractSocket::OperationError || error == QAbstractSocket::UnknownSocketError) {
    kind = SocketErrorKind::General;
  } else {
    kind = SocketErrorKind::Receive;
  }
  Notify([this, kind] { core_.clientsocketError(kind); });
}

}  // namespace ombrel
