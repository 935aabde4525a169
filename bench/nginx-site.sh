# Sourced by the benchmarks that serve files from nginx on 127.0.0.1.
#   free_port                  prints a free TCP port of 127.0.0.1
#   write_nginx_conf WORK PORT TYPE EXT
#                              writes WORK/nginx.conf: one worker serving WORK/www on PORT,
#                              files of extension EXT sent as TYPE, no access log, long
#                              keep-alive, its pid, log and temporary files under WORK
# nginx serves as its own unprivileged user when started as root: WORK must be readable.

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

write_nginx_conf() {
  local work=$1 port=$2 type=$3 ext=$4
  mkdir -p "$work/logs" "$work/temp"
  cat > "$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/logs/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  log_not_found off;
  sendfile on;
  tcp_nopush on;
  keepalive_requests 1000000;
  client_body_temp_path $work/temp/body;
  proxy_temp_path $work/temp/proxy;
  fastcgi_temp_path $work/temp/fastcgi;
  uwsgi_temp_path $work/temp/uwsgi;
  scgi_temp_path $work/temp/scgi;
  types { $type $ext; }
  server {
    listen 127.0.0.1:$port;
    root $work/www;
  }
}
CONF
}
