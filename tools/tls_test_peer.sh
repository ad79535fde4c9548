#!/usr/bin/env bash
# A TLS server in front of a plain one, for the client's TLS tests and for
# trying TLS by hand: stunnel in the foreground on 127.0.0.1:PORT, passing
# the decrypted stream to 127.0.0.1:TARGET, with a self-signed certificate
# for localhost kept in DIR (made when missing, or anew with "new").
#
#   tools/tls_test_peer.sh DIR PORT TARGET [new]
#
# Prints "FINGERPRINT <SHA-256 as openssl shows it>" once stunnel takes
# connections. Killed, it takes stunnel with it.
set -euo pipefail
dir="$1" port="$2" target="$3"
for tool in openssl stunnel4; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run tools/setup.sh" >&2; exit 2; }
done
if [ ! -f "$dir/cert.pem" ] || [ "${4:-}" = new ]; then
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=localhost \
    -keyout "$dir/key.pem" -out "$dir/cert.pem" 2>/dev/null
fi
cat >"$dir/stunnel.conf" <<CONF
foreground = yes
pid =
debug = 3
[mud]
accept = 127.0.0.1:$port
connect = 127.0.0.1:$target
cert = $dir/cert.pem
key = $dir/key.pem
CONF
setpriv --pdeathsig KILL stunnel4 "$dir/stunnel.conf" &
stunnel=$!
# Listening is read from the kernel's table rather than tried with a
# connection: stunnel would pass a trial connection on to the server behind
# it, which serves one client at a time and could still be busy with it
# when the test connects.
listening() { grep -q "0100007F:$(printf '%04X' "$port") 00000000:0000 0A" /proc/net/tcp; }
for _ in $(seq 200); do
  if listening; then
    echo "FINGERPRINT $(openssl x509 -noout -fingerprint -sha256 -in "$dir/cert.pem" | cut -d= -f2)"
    break
  fi
  sleep 0.05
done
wait "$stunnel"
