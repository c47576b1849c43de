#include <toolkit/rest/RLManagedObjectSeeder.hpp>

#include <toolkit/rest/RLManagedObjectStore.hpp>
#include <toolkit/rest/RLObjectManager.hpp>
#include <toolkit/rest/RLObjectMapper.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>

#include <base/Exception.hpp>

#include <fstream>
#include <sstream>

namespace toolkit::rest {

namespace {

[[noreturn]] void assertionFailure(std::string description) {
    throw base::Exception(base::InternalInconsistencyException, std::move(description));
}

}

RLManagedObjectSeeder::RLManagedObjectSeeder(base::Ref<RLObjectManager> manager)
    : manager_(std::move(manager)) {
    if (!manager_->objectStore())
        manager_->setObjectStore(
            RLManagedObjectStore::objectStoreWithStoreFilename("RLSeedDatabase.sqlite"));
    manager_->objectStore()->deletePersistantStore();
}

base::Ref<RLManagedObjectSeeder> RLManagedObjectSeeder::objectSeederWithObjectManager(
    base::Ref<RLObjectManager> manager) {
    return base::make<RLManagedObjectSeeder>(std::move(manager));
}

std::optional<foundation::URLError> RLManagedObjectSeeder::generateSeedDatabaseWithObjectManager(
    RLObjectManager& manager, std::vector<std::string> const& fileNames) {
    auto seeder = objectSeederWithObjectManager(base::Ref<RLObjectManager>(&manager));
    seeder->seedObjectsFromFiles(fileNames);
    return seeder->finalizeSeeding();
}

std::string const& RLManagedObjectSeeder::pathToSeedDatabase() const {
    return manager_->objectStore()->pathToStoreFile();
}

void RLManagedObjectSeeder::seedObjectsFromFiles(std::vector<std::string> const& fileNames) {
    for (auto const& fileName : fileNames)
        seedObjectsFromFile(fileName, nullptr, std::nullopt);
}

void RLManagedObjectSeeder::seedObjectsFromFile(std::string const& fileName,
    RLObjectClass const* objectClass, std::optional<std::string> const& keyPath) {
    auto path = foundation::Bundle::mainBundle().pathForResource(fileName, "");
    std::ifstream file;
    if (path)
        file.open(*path, std::ios::binary);
    if (!file.is_open()) {
        foundation::log("Unable to read file %@: %@", fileName,
            path ? "The file could not be opened." : "The file does not exist.");
        return;
    }
    std::stringstream text;
    text << file.rdbuf();
    auto& mapper = manager_->mapper();
    auto parsed = mapper.parseString(text.str());
    if (parsed.isNull())
        assertionFailure(foundation::format("Unable to parse data from file %@", fileName));
    if (keyPath)
        parsed = RLValueAtKeyPath(parsed, *keyPath);
    auto const* array = parsed.array();
    if (!array)
        assertionFailure(foundation::format("Expected an NSArray of objects, got %@", parsed));
    // An empty array is no seed data either.
    if (array->empty() || !array->at(0).dictionary())
        assertionFailure(foundation::format("Expected an array of NSDictionaries, got %@", parsed));
    auto objects = objectClass ? mapper.mapObjectsFromArrayOfDictionaries(*array, *objectClass)
                               : mapper.mapObjectsFromArrayOfDictionaries(*array);
    if (delegate_)
        for (auto const& object : objects)
            delegate_->didSeedObject(*object, fileName);
    foundation::log("[RestLink] RLManagedObjectSeeder: Seeded %d objects from %@...",
        int(objects.size()), fileName);
}

std::optional<foundation::URLError> RLManagedObjectSeeder::finalizeSeeding() {
    auto error = manager_->objectStore()->save();
    if (error) {
        foundation::log("[RestLink] RLManagedObjectSeeder: Error saving object context: %@",
            error->localizedDescription);
        return error;
    }
    foundation::log(
        "[RestLink] RLManagedObjectSeeder: A seeded database has been generated at '%@'. Please "
        "execute `open \"%@\"` in your Terminal and copy %@ to your app. Be sure to add the seed "
        "database to your \"Copy Resources\" build phase.",
        pathToSeedDatabase(), manager_->objectStore()->pathToStoreFile(),
        manager_->objectStore()->storeFilename());
    return std::nullopt;
}

}
