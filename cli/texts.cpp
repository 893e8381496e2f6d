#include "texts.h"

#include <atomic>

namespace cli {

namespace {

std::atomic<texts::Language> g_language{texts::Language::English};

} // namespace

texts::Language language()
{
    return g_language.load(std::memory_order_relaxed);
}

void setLanguage(texts::Language chosen)
{
    g_language.store(chosen, std::memory_order_relaxed);
}

std::string said(const core::Message &message)
{
    return texts::worded(message, language());
}

std::string said(const core::Error &error)
{
    return texts::described(error, language());
}

} // namespace cli
