#pragma once

#include <string>
#include <vector>

// Certificates for 802.1x: the system's authority folder and a per-user folder of client certificates, each
// certificate a PEM file (.pem or .crt) whose first certificate gives the name and issuer shown.
//   TSRWL_NET_CA_DIR      authority folder (default /etc/ssl/certs)
//   TSRWL_NET_USER_CERTS  user folder (default $XDG_DATA_HOME/wlanutil/certificates); a user certificate's
//                         private key is <name>.key beside it, or inside the certificate file

struct NetCertificate {
    std::string name; // the subject's common name, or the whole subject when it has none
    std::string issuer;
    std::string file;
};

std::string AuthorityCertDir();
std::string UserCertDir();
// The certificates of a folder, sorted by name; one entry per name and issuer.
std::vector<NetCertificate> ListCertificates(const std::string& dir);
// The file of the certificate with this name (and issuer, when one is given); empty when none.
std::string FindCertificateFile(const std::string& dir, const std::string& name, const std::string& issuer);
// The private key file of a user certificate: <name>.key beside it when present, else the certificate itself.
std::string PrivateKeyFile(const std::string& certificateFile);
