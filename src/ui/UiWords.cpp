#include "ui/UiWords.h"

#include "descriptor/Text.h"

namespace kestrane::ui_words {

std::string UnexpectedFailureText(std::string_view what) {
    if (what.empty()) return "Unerwarteter Fehler.";
    return Concatenated({"Unerwarteter Fehler: ", what});
}

}  // namespace kestrane::ui_words
