#pragma once
// The temperature calibration's side of the infrared module: the three set
// points of each gain range and their records in "/root/CalTempConfig.ini",
// the module's table files in the working directory, and the two table
// commands the acquisition loop runs between frames (save the module's tables,
// compute and set new ones). No widget in here.

#include "acquisition/sdk/irsdk.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace caltables {

// A point not yet recorded reads this value.
constexpr float kUnrecorded = 500.0f;

constexpr int kKtBtBytes = TPD_KT_BT_LEN * 2;   // 2402
constexpr int kNucBytes = TPD_NUC_T_LEN * 2;    // 16384
constexpr int kTauBytes = TPD_TAU_MAX_BYTES;    // 7168

// Which point of a gain range: low, middle or high set point.
enum Point { Low = 0, Middle = 1, High = 2 };

// Set point in degrees: high gain (1) -10, 20, 100; low gain (0) 120, 250, 400.
int setPoint(int gain, Point p);
// Number N of the store's keys "calNtemp" / "calNvtemp": 1..3 in high gain, 4..6 in low gain.
int keyNumber(int gain, Point p);
QString tempKey(int n);    // "cal3temp"
QString vtempKey(int n);   // "cal3vtemp"

// A measured value as the store keeps it and the page shows it: one decimal.
QString valueText(float celsius);
// A raw temperature word (1/16 K) in degrees with one decimal.
float celsiusOfWord(uint16_t word);

// Records a point of `gain`: the measured temperature and the sensor reference reading.
void recordPoint(int gain, Point p, float celsius, uint16_t vtemp);
// Marks a point of `gain` unrecorded (its temperature key).
void forgetPoint(int gain, Point p);
// Marks all six points unrecorded (the temperature keys only).
void resetPoints();
// The recorded value of key number n (1..6), kUnrecorded when absent or
// when its text is not a number.
float pointValue(int n);

// The three point records of a gain from the store, and whether each is
// recorded; a point without its reference reading reads kUnrecorded.
std::array<IrcalPoint_t, 3> pointsOf(int gain);
bool allRecorded(const std::array<IrcalPoint_t, 3> &points);

// Table files of a gain: "kt_H.bin", "bt_H.bin", "nuct_H.bin", "tau_H.bin" (low gain "_L").
struct Files {
    QString kt, bt, nuc, tau;
};
Files filesOf(int gain);

// Writes a table file whole or not at all (beside, synced, then renamed).
bool writeTable(const QString &boardPath, const QByteArray &bytes);
// Reads a table file of exactly `words` little-endian words; false (and
// `out` untouched) when it is missing or of another size.
bool readTable(const QString &boardPath, uint16_t *out, int words);
// The tau data: at most the first kTauBytes bytes of the file, the rest of the
// buffer zero; false when there is no file.
bool readTau(const QString &boardPath, uint8_t *out);

// Command 29 / 30: the module's tables of `gain` saved to the gain's files,
// each read back and logged, then the calibration parameters logged. When a
// table cannot be read, or the module is in the other range, no file is
// written. True when all three files were written.
bool saveModuleTables(int gain);
// Whether a save of the tables failed since the last question (once per failure).
bool takeFailedSave();
// Command 31 / 32: new tables from the gain's three points, set into the
// module and read back. Nothing is computed or set unless all three points are
// recorded. Returns 0 when the module took new tables, negative otherwise.
int recalibrate(int gain);

// The working tables as at program start: none saved, none loaded.
void forgetWorkingTables();
// Result of the last recalibration of this run (0 before the first one).
int lastRecalResult();

// Runs table command 29..32 (the acquisition loop's handler).
void runTableCommand(int code);
// Installs runTableCommand as the acquisition loop's handler.
void install();

}   // namespace caltables
