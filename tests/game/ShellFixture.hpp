#pragma once

#include <base/Value.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/ResourceLookup.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace test {

// A bundle held in memory: resource names to paths, and paths to the property
// lists stored there.
class FakeResourceLookup final : public game::ResourceLookup {
public:
    // Puts a property list into the bundle under a resource name.
    void add(std::string const& name, base::Value list);

    std::optional<std::string> pathForResource(std::string_view name) override;
    base::Ref<base::Dictionary> dictionaryWithContentsOfFile(std::string_view path) override;
    base::Ref<base::Array> arrayWithContentsOfFile(std::string_view path) override;

private:
    std::map<std::string, base::Value, std::less<>> files_;
};

// Keeps every alert the shell shows.
class RecordingAlertPresenter final : public game::AlertPresenter {
public:
    struct Alert {
        std::string title;
        std::string message;
        std::string button;
    };

    void showAlert(
        std::string_view title, std::string_view message, std::string_view button) override {
        alerts.push_back({std::string(title), std::string(message), std::string(button)});
    }

    std::vector<Alert> alerts;
};

// A fresh sandbox (with an empty user-defaults store and an empty main bundle in
// it), game-wide values and device settings for each test, with the fakes above
// installed. Everything is put back afterwards, unsaved defaults dropped.
class ShellFixture : public ::testing::Test {
protected:
    ShellFixture();
    ~ShellFixture() override;

    std::string sandboxPath(std::string const& relative) const {
        return (sandbox / relative).string();
    }

    TempDir sandbox;
    std::string previousRoot;
    std::string previousBundle;
    FakeResourceLookup bundle;
    RecordingAlertPresenter alerts;
};

}
