#!/usr/bin/env bash
# A private nginx that serves one folder on several loopback ports, standing in for a set of
# mirror servers. Its config, pid file, logs and temporary folders all live in RUN_DIR; no
# system config is read or touched.
#
#   nginx_mirrors.sh start RUN_DIR ROOT_DIR PORT...      serve ROOT_DIR on 127.0.0.1:PORT...
#   nginx_mirrors.sh start RUN_DIR ROOT_DIR --count N    on N free ports
#   nginx_mirrors.sh ports RUN_DIR                       the ports, one per line
#   nginx_mirrors.sh stop RUN_DIR                        stop it and wait until it is gone
#
# start prints the ports, one per line. RUN_DIR/access.log has one line per request:
#   port connection connection_requests "uri" status body_bytes
set -euo pipefail

die() { echo "nginx_mirrors: $*" >&2; exit 1; }
usage() { sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }

nginx_bin=${NGINX:-$(command -v nginx || true)}
[ -z "$nginx_bin" ] && [ -x /usr/sbin/nginx ] && nginx_bin=/usr/sbin/nginx

abs_dir() { (cd "$1" 2>/dev/null && pwd) || die "no such folder: $1"; }

pid_of() {
	local run=$1
	[ -s "$run/nginx.pid" ] || return 1
	local pid
	pid=$(cat "$run/nginx.pid")
	[[ $pid =~ ^[0-9]+$ ]] && kill -0 "$pid" 2>/dev/null || return 1
	# A stale pid file may name some other program by now: only our own master counts.
	tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF -- "$run/nginx.conf" || return 1
	echo "$pid"
}

# N ports that nothing listens on now.
free_ports() {
	local want=$1 got=() tries=0 port
	local busy
	busy=$(ss -Htln 2>/dev/null | awk '{print $4}' | sed 's/.*://' | sort -u)
	while [ ${#got[@]} -lt "$want" ]; do
		tries=$((tries + 1))
		[ $tries -gt 1000 ] && die "no free ports"
		port=$((20000 + RANDOM % 40000))
		grep -qx "$port" <<<"$busy" && continue
		[[ " ${got[*]:-} " == *" $port "* ]] && continue
		got+=("$port")
	done
	echo "${got[@]}"
}

write_config() {
	local run=$1 root=$2
	shift 2
	local listen="" port
	for port in "$@"; do listen+="		listen 127.0.0.1:$port;"$'\n'; done
	local user_line=""
	# Workers of a root master drop to "nobody", who may not read a private folder.
	[ "$(id -u)" = 0 ] && user_line="user $(id -un) $(id -gn);"
	mkdir -p "$run/tmp"
	cat >"$run/nginx.conf" <<EOF
$user_line
daemon on;
worker_processes 1;
pid "$run/nginx.pid";
error_log "$run/error.log" warn;
events { worker_connections 512; }
http {
	log_format mirror '\$server_port \$connection \$connection_requests "\$request_uri" \$status \$body_bytes_sent';
	access_log "$run/access.log" mirror;
	client_body_temp_path "$run/tmp/body";
	proxy_temp_path "$run/tmp/proxy";
	fastcgi_temp_path "$run/tmp/fastcgi";
	uwsgi_temp_path "$run/tmp/uwsgi";
	scgi_temp_path "$run/tmp/scgi";
	types { application/zip zip; text/plain txt; text/html html; }
	default_type application/octet-stream;
	sendfile on;
	keepalive_timeout 60s;
	keepalive_requests 100000;
	server {
$listen		server_name localhost;
		root "$root";
		autoindex off;
		location / { try_files \$uri =404; }
	}
}
EOF
	printf '%s\n' "$@" >"$run/ports"
}

start() {
	[ $# -ge 3 ] || usage
	[ -n "$nginx_bin" ] || die "nginx is not installed"
	mkdir -p "$1"
	local run root
	run=$(abs_dir "$1")
	root=$(abs_dir "$2")
	shift 2
	pid_of "$run" >/dev/null && die "already running in $run"
	local ports count=0 attempts=1
	if [ "$1" = "--count" ]; then
		[ $# -eq 2 ] && [[ $2 =~ ^[1-9][0-9]*$ ]] || usage
		count=$2
		attempts=5
	else
		for p in "$@"; do [[ $p =~ ^[1-9][0-9]*$ ]] || die "not a port: $p"; done
		ports="$*"
	fi
	local i
	for ((i = 1; i <= attempts; i++)); do
		[ "$count" -gt 0 ] && ports=$(free_ports "$count")
		# shellcheck disable=SC2086
		write_config "$run" "$root" $ports
		rm -f "$run/nginx.pid"
		if "$nginx_bin" -p "$run/" -c "$run/nginx.conf" -e "$run/error.log" 2>>"$run/error.log"; then
			local waited
			for waited in $(seq 1 100); do
				pid_of "$run" >/dev/null && { tr ' ' '\n' <<<"$ports"; return 0; }
				sleep 0.05
			done
		fi
		# With chosen ports, another program may have taken one meanwhile: choose again.
	done
	cat "$run/error.log" >&2 || true
	die "nginx did not start"
}

stop() {
	[ $# -eq 1 ] || usage
	local run pid
	run=$(abs_dir "$1")
	pid=$(pid_of "$run") || return 0
	kill -TERM "$pid"
	for _ in $(seq 1 200); do
		kill -0 "$pid" 2>/dev/null || { rm -f "$run/nginx.pid"; return 0; }
		sleep 0.05
	done
	die "nginx ($pid) did not stop"
}

ports() {
	[ $# -eq 1 ] || usage
	cat "$(abs_dir "$1")/ports"
}

[ $# -ge 1 ] || usage
cmd=$1
shift
case "$cmd" in
start) start "$@" ;;
stop) stop "$@" ;;
ports) ports "$@" ;;
*) usage ;;
esac
