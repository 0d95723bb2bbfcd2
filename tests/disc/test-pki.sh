# shellcheck shell=bash
# A certificate authority of the tests' own, made with openssl, that issues
# code-signing certificates as a publisher's .pfx, and a time-stamping
# authority that osslsigncode's built-in one (-TSA-certs, -TSA-key) plays, so
# that signing needs no network. Sourced by the signing test and by
# tools/run-e2e.sh.
#
#   pki_init DIR      the authority (DIR/ca.crt), the time-stamping
#                     authority's certificate, and DIR/bin/osslsigncode: the
#                     real one, except that "-ts test-tsa:" is answered by
#                     the built-in time-stamping authority. Every call's
#                     arguments are logged in DIR/calls.log.
#   pki_issue DIR NAME FROM UNTIL [EXTENSION...]
#                     DIR/NAME.pfx, for "CN=Sorvane Test Publisher", valid
#                     FROM UNTIL (YYYYMMDDHHMMSSZ), with these X.509
#                     extension lines, carrying the authority's certificate,
#                     protected by the password in DIR/password.

pki_init() {
  local dir=$1
  mkdir -p "$dir/issued" "$dir/bin"
  : > "$dir/index.txt"
  echo 1000 > "$dir/serial"
  printf 'test publisher password\n' > "$dir/password"
  cat > "$dir/ca.cnf" <<CONFIG
[ca]
default_ca = test_ca
[test_ca]
database = $dir/index.txt
new_certs_dir = $dir/issued
certificate = $dir/ca.crt
private_key = $dir/ca.key
serial = $dir/serial
default_md = sha256
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
CONFIG
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/ca.key" -out "$dir/ca.crt" \
    -days 3650 -subj "/CN=Sorvane Test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
  pki_certificate "$dir" tsa "CN=Sorvane Test Time Stamping" \
    "$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)" "$(date -u -d '+10 years' +%Y%m%d%H%M%SZ)" \
    "basicConstraints=CA:FALSE" "keyUsage=critical,digitalSignature" \
    "extendedKeyUsage=critical,timeStamping"
  cat "$dir/tsa.crt" "$dir/ca.crt" > "$dir/tsa-chain.pem"
  local real
  real=$(command -v osslsigncode)
  cat > "$dir/bin/osslsigncode" <<WRAPPER
#!/usr/bin/env bash
printf '%s\\n' "\$*" >> "$dir/calls.log"
args=()
while [ \$# -gt 0 ]; do
  if [ "\$1" = -ts ] && [ "\${2:-}" = test-tsa: ]; then
    args+=(-TSA-certs "$dir/tsa-chain.pem" -TSA-key "$dir/tsa.key" -TSA-time "\$(date +%s)")
    shift 2
  else
    args+=("\$1")
    shift
  fi
done
exec "$real" "\${args[@]}"
WRAPPER
  chmod +x "$dir/bin/osslsigncode"
}

# pki_certificate DIR NAME SUBJECT FROM UNTIL EXTENSION...: DIR/NAME.crt and
# DIR/NAME.key, issued by the authority.
pki_certificate() {
  local dir=$1 name=$2 subject=$3 from=$4 until=$5
  shift 5
  printf '%s\n' "$@" > "$dir/$name.ext"
  openssl req -newkey rsa:2048 -nodes -keyout "$dir/$name.key" -out "$dir/$name.csr" \
    -subj "/$subject" 2>/dev/null
  openssl ca -batch -notext -config "$dir/ca.cnf" -in "$dir/$name.csr" -out "$dir/$name.crt" \
    -startdate "$from" -enddate "$until" -extfile "$dir/$name.ext" 2>/dev/null
}

pki_issue() {
  local dir=$1 name=$2 from=$3 until=$4
  shift 4
  pki_certificate "$dir" "$name" "CN=Sorvane Test Publisher" "$from" "$until" "$@"
  openssl pkcs12 -export -inkey "$dir/$name.key" -in "$dir/$name.crt" -certfile "$dir/ca.crt" \
    -name "Sorvane Test Publisher" -out "$dir/$name.pfx" -passout "file:$dir/password"
}
