#!/bin/sh
# Makes a throwaway code-signing certificate for builds without a vendor
# certificate: a CA (ca.pem) and a certificate issued by it for code
# signing, packed with its key into signer.p12 under a random password.
#
# usage: make_signing_certificate.sh OPENSSL FOLDER ORGANISATION
set -eu
openssl=$1
folder=$2
organisation=$3
mkdir -p "$folder"
cd "$folder"
umask 077
rm -f ca.key ca.pem ca.srl signer.key signer.csr signer.pem signer.p12 signer.password signer.ext

"$openssl" req -x509 -newkey rsa:3072 -sha256 -nodes -days 3650 \
    -subj "/O=$organisation/CN=$organisation throwaway signing CA" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout ca.key -out ca.pem 2>/dev/null

"$openssl" req -new -newkey rsa:3072 -sha256 -nodes \
    -subj "/O=$organisation/CN=$organisation" \
    -keyout signer.key -out signer.csr 2>/dev/null
cat > signer.ext <<EXT
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature
extendedKeyUsage=codeSigning
EXT
"$openssl" x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 \
    -sha256 -extfile signer.ext -out signer.pem 2>/dev/null

"$openssl" rand -hex 24 > signer.password
"$openssl" pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem \
    -passout file:signer.password -out signer.p12
# Only the packed key stays; the CA key is not needed again.
rm -f ca.key ca.srl signer.key signer.csr signer.ext
chmod 644 ca.pem signer.pem
