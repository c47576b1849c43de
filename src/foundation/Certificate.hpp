#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/ByteView.hpp>
#include <foundation/PublicKey.hpp>

#include <memory>
#include <string>

struct x509_st;

namespace foundation {

// An X.509 certificate read from DER or PEM, kept for its public key: the
// application ships a certificate whose key opens what its server sends. Nothing
// here judges trust (dates, issuer, chain); the certificate is taken as given.
// Immutable once made, so it may be shared between threads.
class Certificate final : public base::Object {
    struct Private {
        explicit Private() = default;
    };

public:
    // One certificate in DER (the whole input, nothing after it) or the first
    // "CERTIFICATE" block of PEM text. Null when the input is neither.
    static base::Ref<Certificate> createWithData(ByteView derOrPem);
    // The same from a file; null when it cannot be read or is not a certificate.
    static base::Ref<Certificate> createWithContentsOfFile(std::string const& path);

    ~Certificate() override;

    // The subject's public key; null when the certificate's key cannot be read.
    base::Ref<PublicKey> publicKey() const;
    // The certificate in DER form.
    base::Bytes data() const;
    // The subject's common name, or the empty text when it has none.
    std::string subjectSummary() const;

private:
    struct CertificateDeleter {
        void operator()(x509_st*) const;
    };

    std::unique_ptr<x509_st, CertificateDeleter> certificate_;

    friend base::Factory;

    Certificate(Private, x509_st* certificate);
};

}
