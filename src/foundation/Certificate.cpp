#include <foundation/Certificate.hpp>

#include <base/Verify.hpp>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <climits>
#include <fstream>

namespace foundation {

namespace {

// Certificates are a few kilobytes; anything far larger is not one.
constexpr std::size_t maximumFileSize = 1 << 20;

X509* readDER(ByteView bytes) {
    if (bytes.size() > std::size_t(LONG_MAX))
        return nullptr;
    unsigned char const* cursor = bytes.data();
    X509* certificate = d2i_X509(nullptr, &cursor, long(bytes.size()));
    if (certificate && cursor != bytes.end()) {
        X509_free(certificate);
        return nullptr;
    }
    return certificate;
}

X509* readPEM(ByteView bytes) {
    if (bytes.size() > std::size_t(INT_MAX))
        return nullptr;
    std::unique_ptr<BIO, decltype(&BIO_free)> input(
        BIO_new_mem_buf(bytes.data(), int(bytes.size())), &BIO_free);
    VERIFY(input);
    // A certificate needs no pass phrase; never let OpenSSL ask for one on the terminal.
    auto noPassword = [](char*, int, int, void*) -> int { return -1; };
    return PEM_read_bio_X509(input.get(), nullptr, noPassword, nullptr);
}

}

void Certificate::CertificateDeleter::operator()(x509_st* certificate) const {
    X509_free(certificate);
}

Certificate::Certificate(Private, x509_st* certificate)
    : certificate_(certificate) {
    VERIFY(certificate_);
}

Certificate::~Certificate() = default;

base::Ref<Certificate> Certificate::createWithData(ByteView derOrPem) {
    X509* certificate = readDER(derOrPem);
    if (!certificate)
        certificate = readPEM(derOrPem);
    ERR_clear_error();
    if (!certificate)
        return nullptr;
    return base::make<Certificate>(Private {}, certificate);
}

base::Ref<Certificate> Certificate::createWithContentsOfFile(std::string const& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return nullptr;
    base::Bytes bytes;
    char buffer[4096];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + file.gcount());
        if (bytes.size() > maximumFileSize)
            return nullptr;
    }
    if (file.bad())
        return nullptr;
    return createWithData(bytes);
}

base::Ref<PublicKey> Certificate::publicKey() const {
    auto key = PublicKey::adopt(X509_get_pubkey(certificate_.get()));
    ERR_clear_error();
    return key;
}

base::Bytes Certificate::data() const {
    unsigned char* der = nullptr;
    int length = i2d_X509(certificate_.get(), &der);
    VERIFY(length > 0);
    base::Bytes result(der, der + length);
    OPENSSL_free(der);
    return result;
}

std::string Certificate::subjectSummary() const {
    X509_NAME* subject = X509_get_subject_name(certificate_.get());
    int index = subject ? X509_NAME_get_index_by_NID(subject, NID_commonName, -1) : -1;
    if (index < 0)
        return {};
    ASN1_STRING* value = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, index));
    unsigned char* text = nullptr;
    int length = ASN1_STRING_to_UTF8(&text, value);
    if (length < 0) {
        ERR_clear_error();
        return {};
    }
    std::string result(reinterpret_cast<char*>(text), std::size_t(length));
    OPENSSL_free(text);
    return result;
}

}
