// A warning of the authoring core with the option whose setting it concerns, so that each
// front-end places it by the option's name, never by its words.
#pragma once

#include <string>
#include <vector>

struct Warning {
    std::string option; // the long name, without "--"; empty when no one option is concerned
    std::string text;

    bool operator==(const Warning& other) const {
        return option == other.option && text == other.text;
    }
};

// Each text of `texts` as a warning about `option`.
inline void addWarnings(std::vector<Warning>& warnings, const std::string& option,
                        const std::vector<std::string>& texts) {
    for (const std::string& text : texts)
        warnings.push_back(Warning{option, text});
}
