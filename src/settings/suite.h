// Where the suite keeps its files: the suite root two folders above the
// program, the fixed table of the suite's subfolders, and the registry
// values of the suite (the city data folder).
#pragma once

#include <QString>
#include <cstdint>

namespace lumo {

class Dialogs;

// "TARN_FOLDER" gives the suite root: the program folder's parent's parent
// ("D:\Suite\LUMO\Programy" -> "D:\Suite"). Any other key gives "".
QString GetSuiteFolder(const QString& key, const QString& programFolder);

// JoinPath(base, relative path of the kind); kinds outside 0..25 give "".
// Kind 12: signal head block files; kind 15: street and intersection lists.
QString GetSuiteSubfolder(const QString& baseFolder, std::int32_t kind);

inline constexpr std::int32_t kSubfolderSygnalizatory = 12;
inline constexpr std::int32_t kSubfolderUlic = 15;

enum class RegistryRoot { CurrentUser, LocalMachine, ClassesRoot, Users };

inline const QString kTarnDirectoriesKey = QStringLiteral("Software\\Tarn\\Directories");

// A text value of at most 39 characters. A missing key or value gives "Brak";
// any other failure (a longer value among them: "Registry access error
// number:  234") shows its code in a message box and gives "".
//
// On Windows this reads the registry. Elsewhere it reads registryFile, a file
// in the format the Windows registry editor exports (the program names it:
// StartupValues::registryFile).
QString RegReadString(Dialogs& dialogs, const QString& registryFile, RegistryRoot root, const QString& subkey,
                      const QString& valueName);

// The same, reading the given registry export file (native path) instead of
// the registry; available on every platform, for tests and tools.
QString RegReadStringFromFile(Dialogs& dialogs, const QString& registryFile, RegistryRoot root,
                              const QString& subkey, const QString& valueName);

} // namespace lumo
