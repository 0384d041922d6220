#include "Netcerts.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <set>
#include <sys/stat.h>

namespace {

std::string Env(const char* name)
{
    const char* value = getenv(name);
    return value ? value : "";
}

bool HasSuffix(const std::string& text, const char* suffix)
{
    const std::string s = suffix;
    return text.size() > s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

std::string NameText(X509_NAME* name)
{
    if (!name)
        return {};
    const int index = X509_NAME_get_index_by_NID(name, NID_commonName, -1);
    if (index >= 0) {
        ASN1_STRING* data = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index));
        unsigned char* utf8 = nullptr;
        const int n = ASN1_STRING_to_UTF8(&utf8, data);
        if (n >= 0) {
            std::string text(reinterpret_cast<char*>(utf8), size_t(n));
            OPENSSL_free(utf8);
            return text;
        }
    }
    char line[256] = {};
    X509_NAME_oneline(name, line, sizeof line);
    return line;
}

bool ReadCertificate(const std::string& file, NetCertificate& out)
{
    std::unique_ptr<FILE, int (*)(FILE*)> f(fopen(file.c_str(), "re"), fclose);
    if (!f)
        return false;
    std::unique_ptr<X509, void (*)(X509*)> cert(PEM_read_X509(f.get(), nullptr, nullptr, nullptr), X509_free);
    if (!cert)
        return false;
    out.name = NameText(X509_get_subject_name(cert.get()));
    out.issuer = NameText(X509_get_issuer_name(cert.get()));
    out.file = file;
    return !out.name.empty();
}

} // namespace

std::string AuthorityCertDir()
{
    const std::string dir = Env("TSRWL_NET_CA_DIR");
    return dir.empty() ? "/etc/ssl/certs" : dir;
}

std::string UserCertDir()
{
    std::string dir = Env("TSRWL_NET_USER_CERTS");
    if (!dir.empty())
        return dir;
    dir = Env("XDG_DATA_HOME");
    if (dir.empty())
        dir = Env("HOME") + "/.local/share";
    return dir + "/wlanutil/certificates";
}

std::vector<NetCertificate> ListCertificates(const std::string& dir)
{
    std::vector<NetCertificate> list;
    std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(dir.c_str()), closedir);
    if (!d)
        return list;
    std::set<std::pair<std::string, std::string>> seen;
    while (const dirent* entry = readdir(d.get())) {
        const std::string file = entry->d_name;
        NetCertificate cert;
        // The system folder links every certificate under its hash as well; the named files are enough.
        if ((HasSuffix(file, ".pem") || HasSuffix(file, ".crt")) && ReadCertificate(dir + "/" + file, cert) &&
            seen.emplace(cert.name, cert.issuer).second)
            list.push_back(cert);
    }
    std::sort(list.begin(), list.end(), [](const NetCertificate& a, const NetCertificate& b) {
        return a.name != b.name ? a.name < b.name : a.issuer < b.issuer;
    });
    return list;
}

std::string FindCertificateFile(const std::string& dir, const std::string& name, const std::string& issuer)
{
    if (name.empty())
        return {};
    for (const NetCertificate& cert : ListCertificates(dir))
        if (cert.name == name && (issuer.empty() || cert.issuer == issuer))
            return cert.file;
    return {};
}

std::string PrivateKeyFile(const std::string& certificateFile)
{
    const size_t dot = certificateFile.rfind('.');
    const std::string key = certificateFile.substr(0, dot) + ".key";
    struct stat st {};
    return stat(key.c_str(), &st) == 0 ? key : certificateFile;
}
