#pragma once

#include <toolkit/rest/RLObject.hpp>

#include <foundation/URLError.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <optional>
#include <string>
#include <vector>

namespace toolkit::rest {

class RLObjectManager;

// Told of every object a seeder made from a file.
class RLManagedObjectSeederDelegate {
public:
    virtual ~RLManagedObjectSeederDelegate() = default;
    virtual void didSeedObject(RLObject& object, std::string const& fileName) = 0;
};

// A development tool: fills an empty seed database from data files of the main
// bundle through the manager's mapper, to be shipped with the application. Runs on
// the main thread. Data files that break its expectations (not an array of
// dictionaries) are the developer's mistake and raise NSInternalInconsistencyException.
class RLManagedObjectSeeder final : public base::Object {
public:
    // Seeds each file in order, then finishes; the outcome of finalizeSeeding.
    static std::optional<foundation::URLError> generateSeedDatabaseWithObjectManager(
        RLObjectManager& manager, std::vector<std::string> const& fileNames);
    // Gives a manager without a store one on "RLSeedDatabase.sqlite", and empties the
    // manager's store.
    static base::Ref<RLManagedObjectSeeder> objectSeederWithObjectManager(
        base::Ref<RLObjectManager> manager);

    RLObjectManager& manager() const { return *manager_; }
    RLManagedObjectSeederDelegate* delegate() const { return delegate_; }
    void setDelegate(RLManagedObjectSeederDelegate* delegate) { delegate_ = delegate; }
    std::string const& pathToSeedDatabase() const;

    void seedObjectsFromFiles(std::vector<std::string> const& fileNames);
    // objectClass and keyPath may be absent; the class then comes from the
    // registered elements. A file that cannot be read is logged and skipped.
    void seedObjectsFromFile(std::string const& fileName, RLObjectClass const* objectClass,
        std::optional<std::string> const& keyPath);
    // Saves and tells the developer where the database is. Answers the save's error,
    // or nothing on success; the process goes on (a tool may make the outcome its
    // exit status).
    std::optional<foundation::URLError> finalizeSeeding();

private:
    friend base::Factory;
    explicit RLManagedObjectSeeder(base::Ref<RLObjectManager> manager);

    base::Ref<RLObjectManager> manager_;
    RLManagedObjectSeederDelegate* delegate_ {nullptr};
};

}
