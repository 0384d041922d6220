#!/usr/bin/env bash
# Certificates for the 802.1x networks, in DIR: ca.pem (the test CA), server.pem/server.key (the access points'
# login server), client.pem/client.key (the TLS login's user), other-ca.pem (a CA that signed nothing here, for
# a server that is not trusted). Keys are readable by their owner only.
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
umask 077
days=3650
ssl() { openssl "$@" 2>/dev/null; }

ssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days $days -subj "/CN=Realstack Test CA"
ssl req -x509 -newkey rsa:2048 -nodes -keyout other-ca.key -out other-ca.pem -days $days \
    -subj "/CN=Realstack Other CA"
sign() { # name, subject, extended key usage
    ssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2"
    printf 'extendedKeyUsage=%s\nbasicConstraints=CA:FALSE\n' "$3" >"$1.ext"
    ssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -out "$1.pem" -days $days \
        -extfile "$1.ext"
    rm -f "$1.csr" "$1.ext"
}
sign server "/CN=login.realstack.test" serverAuth
sign client "/CN=tlsuser" clientAuth
chmod 644 ca.pem other-ca.pem server.pem client.pem
