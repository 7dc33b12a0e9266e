#!/usr/bin/env bash
# Starts (or stops) real proxies for the tests on free loopback ports:
# danted for SOCKS4 and SOCKS5 with user name and password, tinyproxy for HTTP CONNECT.
# Writes DIR/proxies.txt with the ports and the SOCKS5 credentials.
#   proxy-fixture.sh start DIR | stop DIR
set -euo pipefail
cmd=$1
dir=$2
user=halyardproxy
password=halyard-secret-5

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

stop() {
  for pidfile in "$dir/danted.pid" "$dir/tinyproxy.pid"; do
    if [ -f "$pidfile" ]; then
      kill "$(cat "$pidfile")" 2>/dev/null || true
      rm -f "$pidfile"
    fi
  done
}

wait_listening() {
  local port=$1
  for _ in $(seq 100); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then return 0; fi
    sleep 0.1
  done
  echo "proxy-fixture: nothing listens on port $port" >&2
  return 1
}

if [ "$cmd" = stop ]; then
  stop
  exit 0
fi

mkdir -p "$dir"
stop

# danted checks SOCKS5 user names against the system's password file.
if ! id "$user" >/dev/null 2>&1; then
  useradd -M -s /usr/sbin/nologin "$user"
fi
echo "$user:$password" | chpasswd

socks_port=$(free_port)
cat > "$dir/danted.conf" <<CONF
logoutput: $dir/danted.log
internal: 127.0.0.1 port = $socks_port
external: 127.0.0.1
socksmethod: username none
user.privileged: root
user.unprivileged: nobody
client pass {
  from: 127.0.0.0/8 to: 0.0.0.0/0
}
socks pass {
  from: 127.0.0.0/8 to: 127.0.0.0/8
  proxyprotocol: socks_v5
  socksmethod: username
}
socks pass {
  from: 127.0.0.0/8 to: 127.0.0.0/8
  proxyprotocol: socks_v4
  socksmethod: none
}
CONF
danted -f "$dir/danted.conf" -p "$dir/danted.pid" -D
wait_listening "$socks_port"

http_port=$(free_port)
cat > "$dir/tinyproxy.conf" <<CONF
Port $http_port
Listen 127.0.0.1
Timeout 60
Allow 127.0.0.1
LogFile "$dir/tinyproxy.log"
PidFile "$dir/tinyproxy.pid"
MaxClients 20
CONF
tinyproxy -d -c "$dir/tinyproxy.conf" >/dev/null 2>&1 &
echo $! > "$dir/tinyproxy.pid"
wait_listening "$http_port"

cat > "$dir/proxies.txt" <<OUT
socks $socks_port
http $http_port
user $user
password $password
OUT
