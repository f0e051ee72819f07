// The path, file and work-file helpers every operation uses. None records an error; platform
// failures become the neutral result ("" or false).
#pragma once
#include <string>
#include <string_view>

namespace quorvex6 {

std::u16string ShortPathOf(std::u16string_view path);
std::u16string NewWorkFile();
bool FileExists(std::u16string_view path);
bool FolderExists(std::u16string_view path);
// Asks the current kind's library whether name is a valid archive (mode 1); a trapped failure
// shows its message and answers false.
bool CheckArchive(std::u16string_view name);
std::u16string FileNameOf(std::u16string_view path);
std::u16string FolderOf(std::u16string_view path);

}  // namespace quorvex6
