// qup-pack: builds an update package from a manifest.
//
//   qup-pack [--plain] MANIFEST OUTPUT
//
// --plain writes the decrypted package record instead of the encrypted package.
//
// Manifest: UTF-8 text of "key = value" lines. Blank lines and lines starting with '#'
// are ignored. The head comes first, then one block per section.
//
// Head keys:
//   format   = 1..7                 record format (default 7); 0 or 8 write a record the
//                                   reader must reject, laid out like a later format
//   key      = 0x12345670           key material of every container (default 0); its low
//                                   four bits are replaced by the padding count
//   header   = short | long         container header (default long)
//   title    = text                 up to 25 UTF-16 code units
//   name     = text                 up to 25 UTF-16 code units
//   articles = 100301 200501 ...    article numbers, up to 6 characters each, record order
//   trailing = N                    N bytes appended after the last field (default 0)
//
// Section blocks start with "[section N]" (N = 0..12) or "[type T]" (the section that
// module type T addresses: 6->0, 1/9->1, 2->2, 5->3, 3->7, 8->8, 10->9, 11->10, 12->11,
// 7->12). Sections 4 and 5 hold settings blocks, section 6 the information text.
//   version = 1.2.3.4               up to 12 characters; sections 0-3 and 7-12 only
//   data    = file PATH             bytes of a file, relative to the manifest
//           | generate module size=N seed=S
//                                   a module image for the section's version: image end
//                                   at 0x20, zeroed configuration area and checksum where
//                                   that version's layout keeps them
//           | generate firmware size=N seed=S
//                                   plain firmware-like bytes (unit, keypad)
//           | generate settings [size=N] seed=S
//                                   a settings block of at least 388 bytes
//           | text ANY TEXT         the text's bytes
//           | hex 01 02 ff          the given bytes
//           | empty                 no bytes
//   data2   = ...                   the second container of a composite (may be absent)
//   wrap    = container | composite | raw
//                                   how the data is stored: one encrypted container
//                                   (default), the unit's pair of containers behind two
//                                   length words, or as it is (default for section 6)
//   key, header                     as in the head, for this section's containers
// Numbers are decimal or 0x hexadecimal; sizes may end in K (1024) or M (1048576).

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tools/PackageManifest.h"

int main(int argc, char** argv)
{
    bool plain = false;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--plain") == 0) {
        plain = true;
        first = 2;
    }
    if (argc - first != 2) {
        std::fprintf(stderr, "usage: qup-pack [--plain] MANIFEST OUTPUT\n");
        return 2;
    }
    std::vector<std::uint8_t> package;
    std::string error;
    if (!quorfw::BuildPackageFromManifestFile(argv[first], plain, package, error)) {
        std::fprintf(stderr, "qup-pack: %s\n", error.c_str());
        return 1;
    }
    const std::string output = argv[first + 1];
    const std::string temporary = output + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "qup-pack: cannot write %s\n", temporary.c_str());
            return 1;
        }
    }
    // Replace the output in one step, so a reader never sees half a package.
    if (std::rename(temporary.c_str(), output.c_str()) != 0) {
        std::fprintf(stderr, "qup-pack: cannot write %s\n", output.c_str());
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
