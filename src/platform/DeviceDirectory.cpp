#include "platform/DeviceDirectory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace arx::platform
{

DeviceDirectory deviceDirectory()
{
    return deviceDirectoryFor (juce::SystemStats::getEnvironmentVariable ("ARX_DEVICE_DIR", {}),
                               juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {}), juce::File ("/tmp"));
}

DeviceDirectory deviceDirectoryFor (const juce::String& explicitDir, const juce::String& runtimeDir,
                                    const juce::File& sharedRoot)
{
    if (explicitDir.isNotEmpty())
        return { juce::File::getCurrentWorkingDirectory().getChildFile (explicitDir), DeviceDirectory::Check::warn };
    // The runtime folder is the user's own by its definition.
    if (runtimeDir.isNotEmpty() && juce::File::isAbsolutePath (runtimeDir))
        return { juce::File (runtimeDir).getChildFile ("arx-devices"), DeviceDirectory::Check::none };
    return { sharedRoot.getChildFile ("arx-devices-" + juce::String ((int) getuid())), DeviceDirectory::Check::refuse };
}

juce::String privateFolderProblem (const juce::File& folder)
{
    const auto path = folder.getFullPathName();
    const auto named = "the device folder " + path;
    struct stat st {};
    if (::lstat (path.toRawUTF8(), &st) != 0)
        return named + " cannot be read (" + juce::String (std::strerror (errno)) + ")";
    if (S_ISLNK (st.st_mode))
        return named + " is a symbolic link";
    if (! S_ISDIR (st.st_mode))
        return named + " is not a folder";
    if (st.st_uid != ::getuid())
        return named + " belongs to user " + juce::String ((int) st.st_uid);
    if ((st.st_mode & 077) != 0)
    {
        char mode[8];
        std::snprintf (mode, sizeof (mode), "%04o", (unsigned) (st.st_mode & 07777));
        return named + " is open to other users (mode " + juce::String (mode) + ")";
    }
    return {};
}

bool prepareDeviceDirectory (const DeviceDirectory& directory, juce::String& problem)
{
    problem.clear();
    const auto path = directory.folder.getFullPathName();
    // Not juce::File::createDirectory: that makes missing parents too and leaves the mode to the umask.
    auto made = ::mkdir (path.toRawUTF8(), 0700) == 0 || errno == EEXIST;
    if (! made && errno == ENOENT && directory.folder.getParentDirectory().createDirectory())
        made = ::mkdir (path.toRawUTF8(), 0700) == 0 || errno == EEXIST;
    if (! made)
    {
        problem = "the device folder " + path + " cannot be made (" + juce::String (std::strerror (errno)) + ")";
        return false;
    }
    if (directory.check == DeviceDirectory::Check::none)
        return true;
    problem = privateFolderProblem (directory.folder);
    return problem.isEmpty() || directory.check == DeviceDirectory::Check::warn;
}

juce::Array<juce::File> lockFolders()
{
    juce::Array<juce::File> folders;
    const auto runtime = juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {});
    if (runtime.isNotEmpty() && juce::File::isAbsolutePath (runtime))
        folders.add (juce::File (runtime));
    folders.add (juce::File ("/tmp"));
    return folders;
}

} // namespace arx::platform
