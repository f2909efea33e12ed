#include "platform/DeviceBusPlatform.h"

#include "platform/DeviceDirectory.h"

namespace arx::platform
{

DeviceBusPlatform::DeviceBusPlatform() : dir (deviceDirectory()) {}
DeviceBusPlatform::DeviceBusPlatform (const juce::File& directory) : dir (directory) {}
DeviceBusPlatform::~DeviceBusPlatform() = default;

std::unique_ptr<DeviceInfoSet> DeviceBusPlatform::getClassDevs (const Guid&) { return nullptr; }
std::unique_ptr<DeviceHandle> DeviceBusPlatform::createFile (const juce::String&) { return nullptr; }
std::unique_ptr<MessageWindow> DeviceBusPlatform::createMessageWindow() { return nullptr; }
std::unique_ptr<NamedMutex> DeviceBusPlatform::createNamedMutex (const juce::String&) { return nullptr; }

} // namespace arx::platform
