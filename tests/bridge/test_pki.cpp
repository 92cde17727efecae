#include "test_pki.h"

#include <cstdlib>

namespace valdro::test {
namespace {

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

bool MakeTestPki(const testing::TempDir& dir, TestPki* pki) {
    const std::string d = dir.path().string() + "/";
    // EC keys: quick to make, and any broker build of the last years takes them.
    const std::string key = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    WriteFile(dir / "server.ext", "subjectAltName=IP:127.0.0.1,DNS:localhost\n");
    const bool ok =
        Run("openssl req -x509 " + key + " -days 2 -subj '/CN=Valdro test CA' -keyout " + d +
            "ca.key -out " + d + "ca.crt") &&
        Run("openssl req -x509 " + key + " -days 2 -subj '/CN=Stranger CA' -keyout " + d +
            "stranger.key -out " + d + "stranger.crt") &&
        Run("openssl req " + key + " -subj '/CN=127.0.0.1' -keyout " + d + "server.key -out " + d +
            "server.csr") &&
        Run("openssl x509 -req -days 2 -in " + d + "server.csr -CA " + d + "ca.crt -CAkey " + d +
            "ca.key -CAcreateserial -extfile " + d + "server.ext -out " + d + "server.crt") &&
        Run("openssl req " + key + " -subj '/CN=bridge' -keyout " + d + "client.key -out " + d +
            "client.csr") &&
        Run("openssl x509 -req -days 2 -in " + d + "client.csr -CA " + d + "ca.crt -CAkey " + d +
            "ca.key -CAcreateserial -out " + d + "client.crt");
    *pki = {d + "ca.crt",     d + "server.crt", d + "server.key",
            d + "client.crt", d + "client.key", d + "stranger.crt"};
    return ok;
}

}  // namespace valdro::test
