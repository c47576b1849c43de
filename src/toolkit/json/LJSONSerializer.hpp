#pragma once

#include <toolkit/json/LJSONError.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace toolkit::json {

// Writes a tree of values as compact UTF-8 JSON, without white space: nulls, booleans,
// numbers (decimals as their exact digits), strings, data (read as UTF-8 and written as
// a string), arrays and dictionaries in their own order. A value of another kind (a
// date) fails with "Cannot serialize data of type '%@'"; a collection holding one fails
// with "Could not serialize object '%@'" naming the outermost collection. Errors have
// the domain "TODO_DOMAIN" and code -1. Stateless: any thread.
class LJSONSerializer : public base::Object {
public:
    static constexpr char const* ErrorDomain = "TODO_DOMAIN";

    static base::Ref<LJSONSerializer> serializer() { return base::make<LJSONSerializer>(); }

    // True for the kinds written; the contents of collections are not examined.
    bool isValidJSONObject(base::Value const& object) const;

    std::optional<base::Bytes> serializeObject(
        base::Value const& object, LJSONError* error = nullptr);
    base::Bytes serializeNull(base::Value const& null, LJSONError* error = nullptr);
    std::optional<base::Bytes> serializeNumber(
        base::Value const& number, LJSONError* error = nullptr);
    base::Bytes serializeString(std::string const& string, LJSONError* error = nullptr);
    std::optional<base::Bytes> serializeArray(
        base::Ref<base::Array> const& array, LJSONError* error = nullptr);
    std::optional<base::Bytes> serializeDictionary(
        base::Ref<base::Dictionary> const& dictionary, LJSONError* error = nullptr);

protected:
    friend base::Factory;
    LJSONSerializer() = default;

    // Appends object's JSON to out; on failure out is left as it was. Collections
    // write their elements through this, so a subclass's filtering reaches every depth.
    virtual bool writeObject(base::Bytes& out, base::Value const& object, LJSONError* error);
    // The unfiltered write of object itself; elements still go through writeObject.
    bool writePlain(base::Bytes& out, base::Value const& object, LJSONError* error);

private:
    bool writeNumber(base::Bytes& out, base::Value const& number, LJSONError* error);
    // Both take the collection as a value, to name it in the error.
    bool writeArray(base::Bytes& out, base::Value const& array, LJSONError* error);
    bool writeDictionary(base::Bytes& out, base::Value const& dictionary, LJSONError* error);
};

// A serializer that lets callers replace objects before they are written, at every
// depth: each test looks at the object about to be written and may name a converter;
// the converter answers a replacement, written in the object's place (data as JSON
// bytes that are already written form, anything else serialized without filtering its
// own top level), or nothing to try the next test.
class CFilteringJSONSerializer final : public LJSONSerializer {
public:
    // A converter name for the object, or none.
    using Test = std::function<std::optional<std::string>(base::Value const&)>;
    // The replacement, or the plain null (nil) for none.
    using Converter = std::function<base::Value(base::Value const&)>;

    static base::Ref<CFilteringJSONSerializer> serializer() {
        return base::make<CFilteringJSONSerializer>();
    }

    std::vector<Test> const& tests() const { return tests_; }
    void setTests(std::vector<Test> tests) { tests_ = std::move(tests); }
    std::vector<std::pair<std::string, Converter>> const& convertersByName() const {
        return convertersByName_;
    }
    void setConvertersByName(std::vector<std::pair<std::string, Converter>> converters) {
        convertersByName_ = std::move(converters);
    }

    void addTest(Test test);
    // Replaces a converter of the same name.
    void addConverter(Converter converter, std::string const& name);

protected:
    bool writeObject(base::Bytes& out, base::Value const& object, LJSONError* error) override;

private:
    friend base::Factory;
    CFilteringJSONSerializer() = default;

    Converter const* converterNamed(std::string const& name) const;

    std::vector<Test> tests_;
    std::vector<std::pair<std::string, Converter>> convertersByName_;
};

// Bytes that are already JSON. The serializer does not take them as written form (they
// answer serializedJSONData, which it does not ask for).
class LJSONSerializedData final : public base::Object {
public:
    static base::Ref<LJSONSerializedData> create(base::Bytes data) {
        return base::make<LJSONSerializedData>(std::move(data));
    }
    base::Bytes const& data() const { return data_; }
    base::Bytes const& serializedJSONData() const { return data_; }

private:
    friend base::Factory;
    explicit LJSONSerializedData(base::Bytes data)
        : data_(std::move(data)) { }

    base::Bytes data_;
};

}
