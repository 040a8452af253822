#pragma once
// Saving the picture as shown (F12): the user's pictures folder, a file name
// from the date and time that no file has yet, and the PNG itself.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// The picture in the current viewport of the framebuffer being drawn, as the
// window will show it: RGBA, row 0 at the bottom, alpha opaque.
std::vector<uint8_t> readShownPicture(int* width, int* height);
// The user's pictures folder: XDG_PICTURES_DIR from the environment when it
// is an absolute path, else from $XDG_CONFIG_HOME/user-dirs.dirs
// (~/.config/user-dirs.dirs), its quoted value unescaped, else $HOME; ""
// when none of them says.
std::string findPicturesFolder();
// "Marivelle 2026-12-08 14-03-22.png" for that local time.
std::string namePicture(const std::tm& when);
// Writes WIDTH x HEIGHT RGBA pixels (row 0 at the bottom, as GL reads them)
// into FOLDER as NAME, or, where a file of that name exists, as NAME with
// " (2)", " (3)" and so on before ".png": it never overwrites a file, and
// writes only into the file it made, never through its name again. True with
// the path written in *PATH; false with the cause in one line in *WHY ("cannot
// write the picture PATH: No space left on device"), the partial file removed.
// A name that another program pointed elsewhere meanwhile is a failure too.
bool savePicture(const std::string& folder, const std::string& name, int width, int height,
                 const std::vector<uint8_t>& rgba, std::string* path, std::string* why);
