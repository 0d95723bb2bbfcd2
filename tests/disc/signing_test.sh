#!/usr/bin/env bash
# tools/make-disc --sign: the disc's SETUP.exe and Velk.exe, signed with a
# code-signing certificate of the tests' own certificate authority (made with
# openssl), verify against that authority and carry the time stamp of
# osslsigncode's built-in time-stamping authority, which stands in for the
# publisher's service; the build tree stays unsigned; the password is never
# on a command line. Each certificate or service that make-disc must refuse
# stops it with its message and leaves an earlier disc untouched.
#
# usage: signing_test.sh PROGRAMS_BUILD_DIR   (a win32 or win64 build tree)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
programs=$(cd "${1:?usage: signing_test.sh PROGRAMS_BUILD_DIR}" && pwd)
make_disc="$source_dir/tools/make-disc"
work=$(mktemp -d)
listener=""
cleanup() {
  if [ -n "$listener" ]; then kill "$listener" 2>/dev/null || true; fi
  chmod -R u+w "$work"
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for program in launcher/SETUP.exe player/Velk.exe; do
  [ -f "$programs/$program" ] || { echo "signing_test: $programs/$program is missing; build it first" >&2; exit 1; }
done
sha256sum "$programs/launcher/SETUP.exe" "$programs/player/Velk.exe" > "$work/build.sums"

# The authority, the publisher's certificates and the refused ones.
source "$source_dir/tests/disc/test-pki.sh"
pki="$work/pki"
pki_init "$pki"
stamp() { date -u -d "$1" +%Y%m%d%H%M%SZ; }
# shellcheck disable=SC2054  # commas inside the extension values
code_signing=(basicConstraints=CA:FALSE keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning)
pki_issue "$pki" publisher "$(stamp '-1 day')" "$(stamp '+1 year')" "${code_signing[@]}"
pki_issue "$pki" expired 20200101000000Z 20210101000000Z "${code_signing[@]}"
pki_issue "$pki" future "$(stamp '+1 year')" "$(stamp '+2 years')" "${code_signing[@]}"
pki_issue "$pki" server "$(stamp '-1 day')" "$(stamp '+1 year')" \
  basicConstraints=CA:FALSE keyUsage=critical,digitalSignature extendedKeyUsage=serverAuth
pki_issue "$pki" no-usage "$(stamp '-1 day')" "$(stamp '+1 year')" \
  basicConstraints=CA:FALSE keyUsage=critical,digitalSignature
# The publisher's certificate without its authority's: nothing to verify
# the signature against.
openssl pkcs12 -export -inkey "$pki/publisher.key" -in "$pki/publisher.crt" \
  -out "$pki/alone.pfx" -passout "file:$pki/password"
# The same certificate without a password, and exported with the RC2
# cipher of older Windows exports, which OpenSSL 3 reads only with its
# legacy provider.
openssl pkcs12 -export -inkey "$pki/publisher.key" -in "$pki/publisher.crt" -certfile "$pki/ca.crt" \
  -out "$pki/no-password.pfx" -passout pass:
openssl pkcs12 -export -legacy -inkey "$pki/publisher.key" -in "$pki/publisher.crt" \
  -certfile "$pki/ca.crt" -out "$pki/legacy.pfx" -passout "file:$pki/password"
echo "not a certificate" > "$work/not-a-certificate.pfx"
printf 'not the password\n' > "$work/wrong-password"
# The password as Windows tools save it: with a UTF-8 byte-order mark
# (Notepad), in UTF-16LE with one and CRLF (PowerShell 5.1's "> file"), in
# UTF-16BE with one; and in encodings make-disc cannot read.
password=$(cat "$pki/password")
printf '\xef\xbb\xbf%s\r\n' "$password" > "$work/password-utf8-bom"
printf '\xff\xfe' > "$work/password-utf16le"
printf '%s\r\n' "$password" | iconv -f UTF-8 -t UTF-16LE >> "$work/password-utf16le"
printf '\xfe\xff' > "$work/password-utf16be"
printf '%s\n' "$password" | iconv -f UTF-8 -t UTF-16BE >> "$work/password-utf16be"
printf '\xff\xfe\x00\x00' > "$work/password-utf32"
printf '%s\n' "$password" | iconv -f UTF-8 -t UTF-32LE >> "$work/password-utf32"
printf '%s\n' "$password" | iconv -f UTF-8 -t UTF-16LE > "$work/password-utf16-unmarked"
printf 'p\xe4sse\n' > "$work/password-latin1"
export PATH="$pki/bin:$PATH"

# The publisher's content: small installers and one-second tones.
pub="$work/publisher"
mkdir -p "$pub/jt" "$pub/ft" "$pub/music"
echo "simplified installer" > "$pub/jt/setup.exe"
echo "traditional installer" > "$pub/ft/setup.exe"
sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 1 sine 440 vol 0.5
for track in 1 2 3 4 5; do lame --quiet -b 96 "$work/tone.wav" "$pub/music/music$track.mp3"; done
inputs=(--programs "$programs" --simplified-installer "$pub/jt" --traditional-installer "$pub/ft"
  --music "$pub/music")

# read_back DISC: the image's files, read through its Joliet tree, in DISC/read-back.
read_back() {
  xorriso -osirrox on -read_fs norock -indev "$1/disc.iso" -extract / "$1/read-back" 2>/dev/null
}

# Signed discs: "case|environment|options after the inputs|time stamp
# expected (yes/no)|warnings expected, separated by ;". Every run is given
# the password on a pipe as file descriptor 5, as <(...) would give it.
# SSL_CERT_FILE adds the test authority to the system's, as OpenSSL reads
# them.
untrusted="Windows will not trust its signatures"
expires="no --timestamp: the signatures stop verifying when the certificate expires"
signed_cases=(
  "signed and time-stamped||--sign $pki/publisher.pfx --sign-password-file $pki/password --timestamp test-tsa:|yes|$untrusted"
  "signed without a time stamp, authority the system's|SSL_CERT_FILE=$pki/ca.crt|--sign $pki/publisher.pfx --sign-password-file $pki/password|no|$expires"
  "certificate without a password||--sign $pki/no-password.pfx --timestamp test-tsa:|yes|$untrusted"
  "certificate with legacy encryption||--sign $pki/legacy.pfx --sign-password-file $pki/password --timestamp test-tsa:|yes|$untrusted"
  "password file with a UTF-8 byte-order mark||--sign $pki/publisher.pfx --sign-password-file $work/password-utf8-bom --timestamp test-tsa:|yes|$untrusted"
  "password file in UTF-16LE with CRLF||--sign $pki/publisher.pfx --sign-password-file $work/password-utf16le --timestamp test-tsa:|yes|$untrusted"
  "password file in UTF-16BE||--sign $pki/publisher.pfx --sign-password-file $work/password-utf16be --timestamp test-tsa:|yes|$untrusted"
  "password from a pipe||--sign $pki/publisher.pfx --sign-password-file /dev/fd/5 --timestamp test-tsa:|yes|$untrusted"
)
for row in "${signed_cases[@]}"; do
  IFS='|' read -r case_name environment options stamped warnings <<< "$row"
  out="$work/signed"
  rm -rf "$out"
  # shellcheck disable=SC2086  # the environment and options are words without blanks
  if ! env $environment "$make_disc" "${inputs[@]}" $options --output "$out" >"$work/stdout" 2>"$work/stderr" \
       5< <(cat "$pki/password"); then
    fail "$case_name: make-disc failed: $(cat "$work/stderr")"
    continue
  fi
  IFS=';' read -r -a expected_warnings <<< "$warnings"
  for warning in "${expected_warnings[@]}"; do
    grep -qF "$warning" "$work/stderr" || fail "$case_name: no warning \"$warning\", got: $(cat "$work/stderr")"
  done
  [ "$(grep -c "^make-disc: warning:" "$work/stderr")" = "${#expected_warnings[@]}" ] ||
    fail "$case_name: expected ${#expected_warnings[@]} warning(s), got: $(cat "$work/stderr")"
  ! grep -q unsigned "$work/stdout" || fail "$case_name: make-disc says the programs are unsigned"
  read_back "$out"
  for program in SETUP.exe Velk.exe; do
    verify="$work/verify.log"
    osslsigncode verify -CAfile "$pki/ca.crt" -TSA-CAfile "$pki/ca.crt" -ignore-cdp \
      -in "$out/read-back/$program" >"$verify" 2>&1 ||
      fail "$case_name: $program on the image does not verify against the test authority: $(tail -n 5 "$verify")"
    grep -qx "Signature verification: ok" "$verify" || fail "$case_name: $program: no good signature"
    grep -q "Subject: /CN=Sorvane Test Publisher" "$verify" || fail "$case_name: $program: not signed by the publisher"
    grep -qx "Message digest algorithm *: SHA256" "$verify" || fail "$case_name: $program: not SHA-256"
    if [ "$stamped" = yes ]; then
      grep -qx "Timestamp Server Signature verification: ok" "$verify" ||
        fail "$case_name: $program: no verified time stamp"
      grep -q "Timestamp time:" "$verify" || fail "$case_name: $program: no time stamp time"
    else
      grep -q "Timestamp is not available" "$verify" || fail "$case_name: $program: has a time stamp"
    fi
    # Against the system's authorities alone, the test authority's signature
    # does not verify: the check above means something.
    ! osslsigncode verify -ignore-cdp -in "$out/read-back/$program" >/dev/null 2>&1 ||
      fail "$case_name: $program verifies without the test authority"
    # Without its signature, the program is the build's, byte for byte: how a
    # publisher checks a signed disc against the source.
    osslsigncode remove-signature -in "$out/read-back/$program" -out "$work/unsigned-$program" >/dev/null 2>&1
  done
  cmp -s "$work/unsigned-SETUP.exe" "$programs/launcher/SETUP.exe" ||
    fail "$case_name: SETUP.exe without its signature differs from the build's"
  cmp -s "$work/unsigned-Velk.exe" "$programs/player/Velk.exe" ||
    fail "$case_name: Velk.exe without its signature differs from the build's"
  rm -f "$work"/unsigned-*.exe
done
sha256sum -c --quiet "$work/build.sums" || fail "signing changed the build tree's programs"
! grep -q "test publisher password" "$pki/calls.log" || fail "the password was on osslsigncode's command line"
grep -q -- "-readpass /dev/fd/" "$pki/calls.log" ||
  fail "osslsigncode was not given the password on a pipe: $(grep -o -- '-readpass [^ ]*' "$pki/calls.log" | head -n 1)"

# Without --sign: the programs as built, and make-disc says so once.
"$make_disc" "${inputs[@]}" --output "$work/unsigned" >"$work/stdout" 2>&1
[ "$(grep -c "SETUP.exe and Velk.exe are unsigned" "$work/stdout")" = 1 ] ||
  fail "unsigned disc: make-disc does not say once that the programs are unsigned: $(cat "$work/stdout")"
cmp -s "$work/unsigned/disc/SETUP.exe" "$programs/launcher/SETUP.exe" || fail "unsigned disc: SETUP.exe is not the build's"

# Time-stamping services that do not answer, on this machine only: a port
# nobody listens on, and one that takes the connection and says nothing.
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
closed_port=$(free_port)
timeout 300 python3 -c '
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(8)
open(sys.argv[1], "w").write(str(s.getsockname()[1]))
held = []
while True:
    held.append(s.accept()[0])
' "$work/silent-port" &
listener=$!
for _ in $(seq 50); do [ -s "$work/silent-port" ] && break; sleep 0.1; done
silent_port=$(cat "$work/silent-port")

# Refusals: "case|options after the inputs|message on stderr". Each run
# writes over an earlier disc, which must stay as it was, and leaves nothing
# else behind (no half-signed disc).
sign=(--sign "$pki/publisher.pfx" --sign-password-file "$pki/password")
refusals=(
  "certificate absent|--sign $work/absent.pfx --sign-password-file $pki/password|cannot read the certificate $work/absent.pfx: no such file"
  "not a certificate|--sign $work/not-a-certificate.pfx --sign-password-file $pki/password|cannot read the certificate $work/not-a-certificate.pfx: not a PKCS#12 (.pfx) file"
  "wrong password|--sign $pki/publisher.pfx --sign-password-file $work/wrong-password|cannot open the certificate $pki/publisher.pfx: the password is wrong"
  "no password given|--sign $pki/publisher.pfx|cannot open the certificate $pki/publisher.pfx: the password is wrong"
  "password file absent|--sign $pki/publisher.pfx --sign-password-file $work/absent-password|cannot read the password file $work/absent-password"
  "password file in UTF-32|--sign $pki/publisher.pfx --sign-password-file $work/password-utf32|cannot read the password file $work/password-utf32: it is UTF-32 text"
  "password file in UTF-16 without a byte-order mark|--sign $pki/publisher.pfx --sign-password-file $work/password-utf16-unmarked|cannot read the password file $work/password-utf16-unmarked: it holds NUL bytes"
  "password file in a legacy code page|--sign $pki/publisher.pfx --sign-password-file $work/password-latin1|cannot read the password file $work/password-latin1: it is not UTF-8 text"
  "certificate expired|--sign $pki/expired.pfx --sign-password-file $pki/password|the certificate $pki/expired.pfx has expired: valid until Jan  1 00:00:00 2021 GMT"
  "certificate not valid yet|--sign $pki/future.pfx --sign-password-file $pki/password|the certificate $pki/future.pfx is not valid yet: valid from"
  "certificate for web servers|--sign $pki/server.pfx --sign-password-file $pki/password|the certificate $pki/server.pfx is not meant for code signing: its Extended Key Usage is TLS Web Server Authentication"
  "certificate without a usage|--sign $pki/no-usage.pfx --sign-password-file $pki/password|the certificate $pki/no-usage.pfx is not meant for code signing: it has no Extended Key Usage"
  "authority unknown|--sign $pki/alone.pfx --sign-password-file $pki/password|SETUP.exe: its signature does not verify against the certificate authorities in $pki/alone.pfx and the system's"
  "time-stamping service refuses|${sign[*]} --timestamp http://127.0.0.1:$closed_port/|SETUP.exe: the time-stamping service http://127.0.0.1:$closed_port/ did not answer"
  "time-stamping service silent|${sign[*]} --timestamp http://127.0.0.1:$silent_port/|SETUP.exe: the time-stamping service http://127.0.0.1:$silent_port/ did not answer"
  "time stamp without --sign|--timestamp test-tsa:|--sign-password-file and --timestamp go with --sign CERT.pfx"
)
# fingerprint DIR: every name under DIR, and every file's contents.
fingerprint() {
  (cd "$1" && find . -printf '%y %p\n' | sort && find . -type f -exec sha256sum {} + | sort)
}
for row in "${refusals[@]}"; do
  IFS='|' read -r case_name options message <<< "$row"
  out="$work/bad/disc"
  rm -rf "$work/bad"
  mkdir -p "$work/bad"
  cp -a "$work/unsigned" "$out"
  fingerprint "$out" > "$work/before"
  # shellcheck disable=SC2086  # the options are words without blanks
  if MAKE_DISC_TIMESTAMP_WAIT=3 "$make_disc" "${inputs[@]}" $options --output "$out" \
       >/dev/null 2>"$work/stderr"; then
    fail "$case_name: make-disc succeeded"
  fi
  grep -qF "make-disc: $message" "$work/stderr" ||
    fail "$case_name: expected \"make-disc: $message\", got: $(cat "$work/stderr")"
  [ "$(ls -A "$work/bad")" = disc ] || fail "$case_name: left behind: $(ls -A "$work/bad")"
  fingerprint "$out" | diff "$work/before" - >&2 || fail "$case_name: the earlier disc changed (diff above)"
done
sha256sum -c --quiet "$work/build.sums" || fail "a refused signing changed the build tree's programs"

# A run killed (SIGKILL) while it signs leaves no copy of the password on
# disk; the next run into that output removes what it left.
mkdir -p "$work/killing-tools"
printf '#!/bin/sh\nkill -KILL "$PPID"\n' > "$work/killing-tools/osslsigncode"
chmod +x "$work/killing-tools/osslsigncode"
rm -rf "$work/bad"
out="$work/bad/disc"
(PATH="$work/killing-tools:$PATH" "$make_disc" "${inputs[@]}" "${sign[@]}" --output "$out" || true) >/dev/null 2>&1
copies=$(grep -rlF "$password" "$work/bad" || true)
[ -z "$copies" ] || fail "killed while signing: the password is on disk in $copies"
"$make_disc" "${inputs[@]}" --output "$out" >/dev/null 2>"$work/stderr" ||
  fail "after a killed run: make-disc failed: $(cat "$work/stderr")"
[ "$(ls -A "$out" | paste -sd' ')" = ".make-disc disc disc.iso" ] ||
  fail "after a killed run: the output holds $(ls -A "$out" | paste -sd' ')"

if [ "$failures" -gt 0 ]; then
  echo "signing_test: $failures failure(s)" >&2
  exit 1
fi
echo "signing_test: all cases passed"
