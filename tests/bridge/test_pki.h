#pragma once
// A throw-away certificate authority made by the openssl tool for the TLS tests: a
// server certificate for 127.0.0.1, a client certificate, and a second CA that
// vouches for neither.

#include <string>

#include "broker_process.h"

namespace valdro::test {

struct TestPki {
    std::string caCert;
    std::string serverCert, serverKey;
    std::string clientCert, clientKey;
    std::string strangerCaCert;
};

// Writes everything into dir; false when openssl fails.
bool MakeTestPki(const testing::TempDir& dir, TestPki* pki);

}  // namespace valdro::test
