// The calibration table and tau files sit in the working directory of the
// board, where a cut write or a stray copy can leave anything. Whatever a
// file holds, a table is taken only at exactly its size, word for word, and a
// refused file leaves the table it was read into as it was; the tau data is
// the file's first bytes, the rest of its buffer zero.
#include "fuzztarget.h"
#include "calibration/caltables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzBoard b;
    if (size == 0)
        return 0;
    // The first byte the table's length in words, the file after it.
    const int words = data[0] == 0 ? TPD_KT_BT_LEN : data[0];
    const uint8_t *file = data + 1;
    const size_t fileSize = size - 1;
    const QString name = QStringLiteral("/root/kt_H.bin");
    writeFile(board::path(name), file, fileSize);

    std::vector<uint16_t> table(static_cast<size_t>(words) + 1, 0xBEEF);
    const bool taken = caltables::readTable(name, table.data(), words);
    check(taken == (fileSize == static_cast<size_t>(words) * 2),
          "a table taken at another size, or refused at its own");
    for (size_t i = 0; i <= static_cast<size_t>(words); ++i)
        check(table[i] == (taken && i < size_t(words) ? file[2 * i] | file[2 * i + 1] << 8 : 0xBEEF),
              "a table word is not the file's, or one written past the table");

    std::vector<uint8_t> tau(caltables::kTauBytes + 1, 0xA5);
    check(caltables::readTau(name, tau.data()), "an existing tau file not read");
    for (size_t i = 0; i <= static_cast<size_t>(caltables::kTauBytes); ++i)
        check(tau[i] ==
                  (i == size_t(caltables::kTauBytes) ? 0xA5
                       : i < fileSize                ? file[i]
                                                     : 0),
              "a tau byte is not the file's, or one written past the tau data");
    return 0;
}
