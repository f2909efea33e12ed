#include "remote/LibWebsockets.h"

#include <dlfcn.h>

namespace arx
{

namespace
{
struct Loaded
{
    LibWebsockets functions;
    juce::String error; // empty when every function was found
};

juce::String lastLoaderError()
{
    const char* reason = ::dlerror();
    return reason != nullptr ? juce::String (reason) : juce::String ("unknown reason");
}

Loaded load()
{
    Loaded loaded;
    ::dlerror();
    void* handle = ::dlopen (ARX_LWS_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        loaded.error = "cannot load " ARX_LWS_SONAME ": " + lastLoaderError();
        return loaded;
    }
#define ARX_LWS_LOAD(member, function)                                                          \
    loaded.functions.member = reinterpret_cast<decltype (&::function)> (::dlsym (handle, #function)); \
    if (loaded.functions.member == nullptr && loaded.error.isEmpty())                          \
        loaded.error = ARX_LWS_SONAME " has no " #function;
    ARX_LWS_FUNCTIONS (ARX_LWS_LOAD)
#undef ARX_LWS_LOAD
    return loaded;
}

const Loaded& loadedOnce()
{
    static const Loaded loaded = load();
    return loaded;
}
} // namespace

const LibWebsockets* LibWebsockets::open (juce::String& error)
{
    const auto& loaded = loadedOnce();
    if (loaded.error.isNotEmpty())
    {
        error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}

const LibWebsockets& LibWebsockets::get()
{
    jassert (loadedOnce().error.isEmpty());
    return loadedOnce().functions;
}

} // namespace arx
