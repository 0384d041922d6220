// Certificates for 802.1x: listed from the authority and user folders, and carried by path into a connect.
#include "netfixture.h"

#include <cstring>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace {

// A self-signed certificate named `name`, its key in `keyFile` (or in the certificate file when empty).
bool MakeCertificate(const std::string& file, const std::string& keyFile, const char* name)
{
    EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256");
    X509* cert = X509_new();
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* subject = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(name), -1,
                               -1, 0);
    X509_set_issuer_name(cert, subject);
    bool ok = key && X509_sign(cert, key, EVP_sha256()) > 0;
    FILE* out = fopen(file.c_str(), "w");
    ok = ok && out && PEM_write_X509(out, cert) == 1;
    FILE* keyOut = keyFile.empty() ? out : fopen(keyFile.c_str(), "w");
    ok = ok && keyOut && PEM_write_PrivateKey(keyOut, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    if (keyOut && keyOut != out)
        fclose(keyOut);
    if (out)
        fclose(out);
    X509_free(cert);
    EVP_PKEY_free(key);
    return ok;
}

std::vector<std::pair<std::string, std::string>> Listed(SimLibrary& lib, int32_t kind)
{
    void* entries = nullptr;
    const int32_t n = lib.TSRWL_EnumCertificates(&entries, kind);
    std::vector<std::pair<std::string, std::string>> list;
    for (int32_t i = 0; i < n; ++i) {
        const auto& e = static_cast<const TSCertEntry*>(entries)[i];
        list.emplace_back(e.Name, e.Issuer);
    }
    return list;
}

} // namespace

class NetCertTest : public NetLibraryTest {};

TEST_F(NetCertTest, FoldersAreListedAndATlsConnectCarriesTheFiles)
{
    const std::string ca = getenv("TSRWL_NET_CA_DIR"), user = getenv("TSRWL_NET_USER_CERTS");
    ASSERT_TRUE(MakeCertificate(ca + "/corp-root.pem", "", "Corp Root CA"));
    ASSERT_TRUE(MakeCertificate(ca + "/other.crt", "", "Another Root"));
    WriteText(ca + "/broken.pem", "not a certificate");
    ASSERT_TRUE(MakeCertificate(user + "/alice.pem", user + "/alice.key", "alice@corp"));
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(Listed(s_lib, TSRWL_CERT_KIND_ROOT),
              (Pairs{{"Another Root", "Another Root"}, {"Corp Root CA", "Corp Root CA"}}));
    EXPECT_EQ(Listed(s_lib, TSRWL_CERT_KIND_USER), (Pairs{{"alice@corp", "alice@corp"}}));
    EXPECT_TRUE(Listed(s_lib, 2).empty());

    ASSERT_FALSE(
        s_nm->AddPoint(s_device, "corptls", "Corp-TLS", "00:1C:F0:11:22:0B", 5180, 70, 1, 0, 0x208).empty());
    WLProfile tls{};
    strcpy(tls.ProfileName, "Corp TLS");
    strcpy(tls.Ssid1, "Corp");
    tls.NetworkMode = 1;
    tls.EncryptionMethod = 7;
    tls.WPAEncryptionType = 2;
    tls.MS8021xAuthMode = 1;
    tls.ValidateServerCert = 1;
    strcpy(tls.LoginName, "alice");
    strcpy(tls.LoginPassword, "key-pass");
    strcpy(tls.sCertificate, "alice@corp");
    strcpy(tls.sCertAuthority, "Corp Root CA");
    WLANStatus status{};
    s_lib.TSRWL_WLProfileToWLStatus(&tls, &status);
    int32_t result = -1;
    ASSERT_EQ(s_lib.TSRWL_SetWLANStatus(&result, &status), TSRWL_OK);
    NetSettings s = s_nm->LastSettings();
    const auto blob = [&](const char* key) {
        const auto* bytes = s["802-1x"][key].As<NetBytes>();
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    };
    EXPECT_EQ(blob("client-cert"), "file://" + user + "/alice.pem" + std::string(1, '\0'));
    EXPECT_EQ(blob("private-key"), "file://" + user + "/alice.key" + std::string(1, '\0'));
    EXPECT_EQ(blob("ca-cert"), "file://" + ca + "/corp-root.pem" + std::string(1, '\0'));
    EXPECT_EQ(s["802-1x"]["private-key-password"].Text(), "key-pass");
    EXPECT_EQ(s["802-1x"].count("password"), 0u);

    // A key without a password: the manager asked for one, and with no agent to answer failed the login.
    tls.LoginPassword[0] = '\0';
    s_lib.TSRWL_WLProfileToWLStatus(&tls, &status);
    EXPECT_EQ(s_lib.TSRWL_SetWLANStatus(&result, &status), TSRWL_OK);
    EXPECT_EQ(s_nm->LastSettings()["802-1x"].count("private-key-password"), 0u);
}
