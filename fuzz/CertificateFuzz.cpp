// Certificates in DER or PEM, as shipped in the bundle and read at start-up: any
// bytes give a certificate or null, and a certificate answers its key, its DER form
// and its subject, and reads back from that DER form.
#include "FuzzSupport.hpp"

#include <foundation/Certificate.hpp>

#include <cstddef>
#include <cstdint>

using foundation::Certificate;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto certificate = Certificate::createWithData(foundation::ByteView(data, size));
    if (!certificate)
        return 0;
    certificate->publicKey();
    certificate->subjectSummary();
    auto der = certificate->data();
    FUZZ_CHECK(!der.empty());
    Certificate::createWithData(der);
    return 0;
}
