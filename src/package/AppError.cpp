#include "package/AppError.h"

#include "package/Words.h"

namespace kestrane {

AppError::AppError(std::string context, std::uint32_t number, std::string description)
    : std::runtime_error(context),
      context_(std::move(context)),
      number_(number),
      description_(std::move(description)) {}

std::string AppError::Report() const {
    std::string text = context_;
    if (!text.empty()) text += "\n\n";
    text += ErrorNumberText(number_, description_);
    return text;
}

}  // namespace kestrane
