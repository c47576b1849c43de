#include <toolkit/rest/RLMIMETypes.hpp>
#include <toolkit/rest/RLParams.hpp>

#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace toolkit::rest;

namespace {

std::string const boundary = "0xKhTmLbOuNdArY";

// Reads the whole body through its stream, chunk bytes at a time.
std::string readAll(RLParams& params, std::size_t chunk) {
    auto stream = params.HTTPBodyStream();
    EXPECT_TRUE(stream);
    std::string out;
    std::vector<std::uint8_t> buffer(chunk);
    for (int guard = 0; guard < 1000000; ++guard) {
        auto n = (*stream)(buffer.data(), buffer.size());
        EXPECT_GE(n, 0);
        if (n <= 0)
            break;
        EXPECT_LE(std::size_t(n), chunk);
        out.append(buffer.begin(), buffer.begin() + n);
    }
    return out;
}

void writeFile(std::filesystem::path const& path, std::string const& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

base::Bytes bytes(std::string const& text) {
    return base::Bytes(text.begin(), text.end());
}

}

TEST(RLParams, ASingleValuePartIsExactlyHeaderValueLineEndAndFooter) {
    std::string const expected = "--" + boundary + "\r\n"
        + "Content-Disposition: form-data; name=\"k\"\r\n" + "\r\n" + "v\r\n" + "--" + boundary
        + "--\r\n";
    for (std::size_t chunk : {std::size_t(1), std::size_t(65536)}) {
        auto params = RLParams::params();
        params->setValue("v", "k");
        EXPECT_EQ(params->HTTPHeaderValueForContentType(),
            "multipart/form-data; boundary=0xKhTmLbOuNdArY");
        auto body = readAll(*params, chunk);
        EXPECT_EQ(body, expected) << "chunk " << chunk;
        EXPECT_EQ(params->HTTPHeaderValueForContentLength(), expected.size());
        EXPECT_EQ(params->streamStatus(), RLParams::AtEnd);
    }
    EXPECT_EQ(RLParams::footer().size(), 21u);
}

TEST(RLParams, MixedPartsReadOneByteOrManyAtATimeGiveTheSameBytesOfTheDeclaredLength) {
    test::TempDir dir;
    writeFile(dir / "photo.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(70000, 'p'));
    writeFile(dir / "notes.qzx", "unknown kind");
    auto build = [&] {
        auto params = RLParams::params();
        params->setValue(12, "count");
        params->setData(bytes("JPEGDATA"), "image/jpeg", std::nullopt, "thumb");
        params->setFile((dir / "photo.png").string(), "photo");
        params->setFile((dir / "notes.qzx").string(), "notes");
        return params;
    };
    std::string const expected = "--" + boundary + "\r\n"
        + "Content-Disposition: form-data; name=\"count\"\r\n\r\n12\r\n" + "--" + boundary + "\r\n"
        + "Content-Disposition: form-data; name=\"thumb\"; filename=\"\"\r\n"
        + "Content-Type: image/jpeg\r\n\r\nJPEGDATA\r\n" + "--" + boundary + "\r\n"
        + "Content-Disposition: form-data; name=\"photo\"; filename=\"photo.png\"\r\n"
        + "Content-Type: image/png\r\n\r\n" + std::string("\x89PNG\r\n\x1a\n", 8)
        + std::string(70000, 'p') + "\r\n" + "--" + boundary + "\r\n"
        + "Content-Disposition: form-data; name=\"notes\"; filename=\"notes.qzx\"\r\n"
        + "Content-Type: application/octet-stream\r\n\r\nunknown kind\r\n" + "--" + boundary
        + "--\r\n";

    auto one = build();
    auto byByte = readAll(*one, 1);
    auto many = build();
    auto byBlock = readAll(*many, 65536);
    EXPECT_EQ(byByte, expected);
    EXPECT_EQ(byBlock, expected);
    EXPECT_EQ(one->HTTPHeaderValueForContentLength(), expected.size());
    EXPECT_EQ(many->length(), expected.size());
    EXPECT_FALSE(many->bodyError());

    // Single use: once read, the body gives nothing more.
    std::uint8_t buffer[16];
    EXPECT_EQ(many->read(buffer, sizeof buffer), 0);
    EXPECT_FALSE(many->hasBytesAvailable());
    many->close();
    EXPECT_EQ(many->streamStatus(), RLParams::Closed);
}

TEST(RLParams, TheHeaderNamesAFileOnlyBesideATypeAndATypeOnlyWhenPresent) {
    struct Case {
        char const* name;
        std::optional<std::string> type;
        std::optional<std::string> fileName;
        bool clearFileName;
        std::string disposition;
    };
    Case const cases[] = {
        {"data without type", std::nullopt, std::nullopt, false,
            "Content-Disposition: form-data; name=\"d\"\r\n\r\n"},
        {"typed data, default empty file name", "text/plain", std::nullopt, false,
            "Content-Disposition: form-data; name=\"d\"; filename=\"\"\r\nContent-Type: "
            "text/plain\r\n\r\n"},
        {"typed data with a file name", "text/plain", "a.txt", false,
            "Content-Disposition: form-data; name=\"d\"; filename=\"a.txt\"\r\nContent-Type: "
            "text/plain\r\n\r\n"},
        {"typed data with the file name cleared", "text/plain", std::nullopt, true,
            "Content-Disposition: form-data; name=\"d\"\r\nContent-Type: text/plain\r\n\r\n"},
    };
    for (auto const& c : cases) {
        auto params = RLParams::params();
        auto& part = params->setData(bytes("x"), c.type, c.fileName, "d");
        if (c.clearFileName)
            part.setFileName(std::nullopt);
        auto body = readAll(*params, 7);
        EXPECT_EQ(body, "--" + boundary + "\r\n" + c.disposition + "x\r\n--" + boundary + "--\r\n")
            << c.name;
    }
}

TEST(RLParams, ADictionaryGivesOneValuePartPerEntryInOrder) {
    auto dictionary = base::Dictionary::create();
    dictionary->setObject("b", "2");
    dictionary->setObject("a", 1.5);
    auto params = RLParams::paramsWithDictionary(*dictionary);
    ASSERT_EQ(params->attachments().size(), 2u);
    EXPECT_EQ(params->attachments()[0]->name(), "b");
    EXPECT_EQ(params->attachments()[1]->name(), "a");
    auto body = readAll(*params, 4096);
    EXPECT_NE(body.find("name=\"a\"\r\n\r\n1.5\r\n"), std::string::npos) << body;
}

TEST(RLParams, AFileWhoseSizeCannotBeReadMakesTheBodyUnsendable) {
    test::TempDir dir;
    // A folder exists, but has no file size.
    std::filesystem::create_directory(dir / "folder.png");
    auto params = RLParams::params();
    params->setValue("v", "k");
    params->setFile((dir / "folder.png").string(), "photo");
    auto stream = params->HTTPBodyStream();
    ASSERT_TRUE(stream);
    auto error = params->bodyError();
    ASSERT_TRUE(error) << "a part of unknown size would go out with length 0";
    EXPECT_EQ(error->code, foundation::URLError::RequestBodyStreamExhausted);
}

TEST(RLParams, AFileThatShrinksAfterItsSizeWasTakenFailsTheReadInsteadOfSendingItShort) {
    test::TempDir dir;
    auto path = dir / "data.bin";
    writeFile(path, std::string(1000, 'd'));
    auto params = RLParams::params();
    params->setFile(path.string(), "data");
    auto stream = params->HTTPBodyStream();
    ASSERT_TRUE(stream);
    writeFile(path, std::string(10, 'd'));
    std::vector<std::uint8_t> buffer(4096);
    std::ptrdiff_t last = 0;
    for (int i = 0; i < 10; ++i) {
        last = (*stream)(buffer.data(), buffer.size());
        if (last <= 0)
            break;
    }
    EXPECT_EQ(last, -1);
    EXPECT_TRUE(params->bodyError());
}

TEST(RLParams, AFileThatGrowsIsSentAtItsDeclaredLength) {
    test::TempDir dir;
    auto path = dir / "data.bin";
    writeFile(path, "abc");
    auto params = RLParams::params();
    params->setFile(path.string(), "data");
    auto stream = params->HTTPBodyStream();
    writeFile(path, "abcdefgh");
    std::string out;
    std::vector<std::uint8_t> buffer(4096);
    while (auto n = (*stream)(buffer.data(), buffer.size())) {
        ASSERT_GT(n, 0);
        out.append(buffer.begin(), buffer.begin() + n);
    }
    EXPECT_EQ(out.size(), params->length());
    EXPECT_NE(out.find("\r\n\r\nabc\r\n--"), std::string::npos);
}

TEST(RLMIMETypes, ReadsTheTableFormAndTheSystemTable) {
    auto table = RLMIMETypes::parse("# comment\n"
                                    "image/png\t\tpng\n"
                                    "image/x-other png PNX  # both\n"
                                    "text/plain txt text\r\n"
                                    "application/empty\n"
                                    "\n");
    EXPECT_EQ(table["png"], "image/png") << "the first listing wins";
    EXPECT_EQ(table["pnx"], "image/x-other");
    EXPECT_EQ(table["text"], "text/plain");
    EXPECT_EQ(table.count("both"), 0u);
    EXPECT_EQ(table.size(), 4u);

    EXPECT_EQ(RLParamsAttachment::mimeTypeForExtension("png"), "image/png");
    EXPECT_EQ(RLParamsAttachment::mimeTypeForExtension("PNG"), "image/png");
    EXPECT_EQ(RLParamsAttachment::mimeTypeForExtension("json"), "application/json");
    EXPECT_EQ(RLParamsAttachment::mimeTypeForExtension("qzx"), "application/octet-stream");
    EXPECT_EQ(RLParamsAttachment::mimeTypeForExtension(""), "application/octet-stream");
}

TEST(RLParamsDeathTest, AFilePartForAMissingFileIsABrokenInvariant) {
    EXPECT_DEATH(RLParams::params()->setFile("/nonexistent/file.png", "f"),
        "Expected file to exist at path: /nonexistent/file.png");
}
