#include "calibration/caltables.h"

#include "acquisition/acqlog.h"
#include "acquisition/acquisitionstate.h"
#include "acquisition/irmodule.h"
#include "acquisition/modulerequests.h"
#include "core/config.h"
#include "board/board.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

namespace caltables {
namespace {

// The environment every point was measured in, as the module's computation
// takes it: distance, emissivity, humidity, air and reflected temperature.
constexpr EnvCorrectParam_t kEnvironment{0.25f, 0.9375f, 0.5f, 25.0f, 25.0f};

// The working tables of the recalibration, per gain: filled by a save of the
// module's tables or by loading the gain's files, and kept for the run.
struct Working {
    std::vector<uint16_t> kt = std::vector<uint16_t>(TPD_KT_BT_LEN);
    std::vector<int16_t> bt = std::vector<int16_t>(TPD_KT_BT_LEN);
    std::vector<uint16_t> nuc = std::vector<uint16_t>(TPD_NUC_T_LEN);
    bool hasKt = false, hasBt = false, hasNuc = false;
};
std::mutex workingLock;
Working working[2];
std::atomic<int> lastResult{0};
std::atomic<bool> failedSave{false};

QByteArray bytesOf(const void *words, int count)
{
    QByteArray out(count * 2, Qt::Uninitialized);
    const auto *w = static_cast<const uint16_t *>(words);
    for (int i = 0; i < count; ++i) {
        out[2 * i] = static_cast<char>(w[i] & 0xFF);
        out[2 * i + 1] = static_cast<char>(w[i] >> 8);
    }
    return out;
}

const char *suffix(int gain) { return gain == 1 ? "H" : "L"; }

// Saves one table, reads the file back and logs its first and last entry.
bool saveOne(const QString &file, const void *words, int count, const char *name)
{
    const bool written = writeTable(file, bytesOf(words, count));
    if (!written)
        acq::log("%s: write failed\n", qPrintable(file));
    std::vector<uint16_t> back(count, 0);
    readTable(file, back.data(), count);
    const bool isSigned = std::string(name) == "bt_array";
    const int first = isSigned ? static_cast<int16_t>(back[0]) : back[0];
    const int last = isSigned ? static_cast<int16_t>(back[count - 1]) : back[count - 1];
    acq::log("%s: %s[0]=%d %s[%d]=%d\n", qPrintable(file), name, first, name, count - 1, last);
    return written;
}

void logTables(const uint16_t *kt, const int16_t *bt, const uint16_t *nuc)
{
    acq::log("kt_array[0]=%d kt_array[%d]=%d\n", kt[0], TPD_KT_BT_LEN - 1, kt[TPD_KT_BT_LEN - 1]);
    acq::log("bt_array[0]=%d bt_array[%d]=%d\n", bt[0], TPD_KT_BT_LEN - 1, bt[TPD_KT_BT_LEN - 1]);
    acq::log("nuc_t_array[0]=%d nuc_t_array[%d]=%d\n", nuc[0], TPD_NUC_T_LEN - 1, nuc[TPD_NUC_T_LEN - 1]);
}

}   // namespace

// ---- points -------------------------------------------------------------------------------

int setPoint(int gain, Point p)
{
    static constexpr int high[3] = {-10, 20, 100};
    static constexpr int low[3] = {120, 250, 400};
    return gain == 1 ? high[p] : low[p];
}

int keyNumber(int gain, Point p) { return (gain == 1 ? 1 : 4) + p; }
QString tempKey(int n) { return QStringLiteral("cal%1temp").arg(n); }
QString vtempKey(int n) { return QStringLiteral("cal%1vtemp").arg(n); }

QString valueText(float celsius) { return QString::number(static_cast<double>(celsius), 'f', 1); }

float celsiusOfWord(uint16_t word) { return static_cast<float>(std::round((word * 0.0625 - 273.15) * 10.0) / 10.0); }

void recordPoint(int gain, Point p, float celsius, uint16_t vtemp)
{
    const int n = keyNumber(gain, p);
    config::write(config::CalTemp, tempKey(n), valueText(celsius));
    config::write(config::CalTemp, vtempKey(n), QString::number(vtemp));
}

void forgetPoint(int gain, Point p)
{
    config::write(config::CalTemp, tempKey(keyNumber(gain, p)), valueText(kUnrecorded));
}

void resetPoints()
{
    for (int n = 1; n <= 6; ++n)
        config::write(config::CalTemp, tempKey(n), valueText(kUnrecorded));
}

float pointValue(int n)
{
    bool ok = false;
    const float v = config::readString(config::CalTemp, tempKey(n)).toFloat(&ok);
    return ok && std::isfinite(v) ? v : kUnrecorded;
}

std::array<IrcalPoint_t, 3> pointsOf(int gain)
{
    std::array<IrcalPoint_t, 3> points{};
    for (int i = 0; i < 3; ++i) {
        const int n = keyNumber(gain, static_cast<Point>(i));
        points[i].set_temp = static_cast<float>(setPoint(gain, static_cast<Point>(i)));
        // A measurement is only as good as its reference reading.
        bool read = false;
        const unsigned vtemp = config::readString(config::CalTemp, vtempKey(n)).toUInt(&read);
        read = read && vtemp <= 0xFFFF;
        points[i].measured_temp = read ? pointValue(n) : kUnrecorded;
        points[i].vtemp = read ? static_cast<uint16_t>(vtemp) : 0;
    }
    return points;
}

bool allRecorded(const std::array<IrcalPoint_t, 3> &points)
{
    for (const IrcalPoint_t &p : points)
        if (!(std::fabs(p.measured_temp - kUnrecorded) > 0.05f))
            return false;
    return true;
}

// ---- files ---------------------------------------------------------------------------------

Files filesOf(int gain)
{
    const char *s = suffix(gain);
    return {QStringLiteral("kt_%1.bin").arg(s), QStringLiteral("bt_%1.bin").arg(s),
            QStringLiteral("nuct_%1.bin").arg(s), QStringLiteral("tau_%1.bin").arg(s)};
}

bool writeTable(const QString &boardPath, const QByteArray &bytes)
{
    // The file is written beside and synced, then renamed over the old one;
    // the folder is synced so that the rename survives a power cut too.
    const QString target = board::path(boardPath);
    QSaveFile f(target);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        return false;
    const int dir = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool readTable(const QString &boardPath, uint16_t *out, int words)
{
    QFile f(board::path(boardPath));
    if (f.size() != words * 2 || !f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray b = f.readAll();
    if (b.size() != words * 2)
        return false;
    const auto *u = reinterpret_cast<const unsigned char *>(b.constData());
    for (int i = 0; i < words; ++i)
        out[i] = static_cast<uint16_t>(u[2 * i] | u[2 * i + 1] << 8);
    return true;
}

bool readTau(const QString &boardPath, uint8_t *out)
{
    std::fill(out, out + kTauBytes, 0);
    QFile f(board::path(boardPath));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray b = f.read(kTauBytes);
    std::copy(b.constBegin(), b.constEnd(), out);
    return true;
}

// ---- table commands -------------------------------------------------------------------------------

bool saveModuleTables(int gain)
{
    std::lock_guard<std::mutex> lock(workingLock);
    const Files f = filesOf(gain);
    // All three tables are read before any file is written: a table the
    // module did not give, or one of the other range, is never saved.
    Working fresh;
    uint16_t moduleGain = 0xFFFF;
    const bool inGain = ir::get_prop_tpd_params(TPD_PROP_GAIN_SEL, &moduleGain) >= 0 && moduleGain == gain;
    const int kt = ir::get_tpd_kt_array(fresh.kt.data());
    const int bt = ir::get_tpd_bt_array(fresh.bt.data());
    const int nuc = ir::get_tpd_nuc_t_array(fresh.nuc.data());
    bool saved = inGain && kt >= 0 && bt >= 0 && nuc >= 0;
    if (!saved) {
        acq::log("%s tables not saved: core gain %d, kt %d, bt %d, nuc-t %d\n", suffix(gain), moduleGain, kt, bt, nuc);
    } else {
        saved = saveOne(f.kt, fresh.kt.data(), TPD_KT_BT_LEN, "kt_array");
        saved = saveOne(f.bt, fresh.bt.data(), TPD_KT_BT_LEN, "bt_array") && saved;
        saved = saveOne(f.nuc, fresh.nuc.data(), TPD_NUC_T_LEN, "nuc_t_array") && saved;
        fresh.hasKt = fresh.hasBt = fresh.hasNuc = true;
        working[gain == 1 ? 1 : 0] = std::move(fresh);
    }
    TpdCalibParam_t calib{};
    ir::get_tpd_calib_param(&calib);
    acq::log("Ktemp=%d Btemp=%d AddressCA=%d\n", calib.Ktemp, calib.Btemp, calib.AddressCA);
    if (!saved)
        failedSave.store(true);
    return saved;
}

bool takeFailedSave() { return failedSave.exchange(false); }

int recalibrate(int gain)
{
    const std::array<IrcalPoint_t, 3> points = pointsOf(gain);
    for (const IrcalPoint_t &p : points)
        acq::log("point %.0f: measured %.1f vtemp %d\n", static_cast<double>(p.set_temp),
                 static_cast<double>(p.measured_temp), p.vtemp);
    if (!allRecorded(points)) {
        acq::log("new recal: a point of this gain is not recorded, the tables stay as they are\n");
        return -100;
    }

    std::lock_guard<std::mutex> lock(workingLock);
    Working &w = working[gain == 1 ? 1 : 0];
    const Files f = filesOf(gain);
    // A missing or cut file leaves the working table as it is.
    std::vector<uint16_t> bt(TPD_KT_BT_LEN);
    w.hasKt = readTable(f.kt, w.kt.data(), TPD_KT_BT_LEN) || w.hasKt;
    if (readTable(f.bt, bt.data(), TPD_KT_BT_LEN)) {
        std::transform(bt.begin(), bt.end(), w.bt.begin(), [](uint16_t v) { return static_cast<int16_t>(v); });
        w.hasBt = true;
    }
    w.hasNuc = readTable(f.nuc, w.nuc.data(), TPD_NUC_T_LEN) || w.hasNuc;
    if (!w.hasKt || !w.hasBt || !w.hasNuc) {
        acq::log("new recal: no saved %s tables (reset first), the tables stay as they are\n", suffix(gain));
        return -101;
    }
    std::vector<uint8_t> tau(kTauBytes, 0);
    readTau(f.tau, tau.data());

    TpdCalibParam_t calib{};
    const int calibRead = ir::get_tpd_calib_param(&calib);
    acq::log("Ktemp=%d Btemp=%d AddressCA=%d\n", calib.Ktemp, calib.Btemp, calib.AddressCA);
    uint16_t vtemp = 0;
    const int vtempRead = ir::cur_vtemp_get(&vtemp);
    acq::log("cur_vtemp_get:%d\n", vtemp);
    if (calibRead < 0 || vtempRead < 0) {
        acq::log("new recal: the core's reference could not be read, the tables stay as they are\n");
        return -102;
    }

    std::vector<uint16_t> kt(TPD_KT_BT_LEN), nuc(TPD_NUC_T_LEN);
    std::vector<int16_t> btNew(TPD_KT_BT_LEN);
    int r = ir::new_ktbt_recal_double_point_calculate(&points[Low], &points[High], &kEnvironment, &calib, tau.data(),
                                                      vtemp, w.nuc.data(), w.kt.data(), w.bt.data(), kt.data(),
                                                      btNew.data(), TPD_KT_BT_LEN);
    acq::log("new_ktbt_recal_double_point_calculate: %d\n", r);
    uint16_t setting[3] = {}, output[3] = {};
    for (int i = 0; i < 3 && r >= 0; ++i) {
        r = ir::multi_point_calc_user_defined_nuc(&points[i], &kEnvironment, &calib, tau.data(), vtemp, w.nuc.data(),
                                                  TPD_NUC_T_LEN, &setting[i], &output[i]);
        acq::log("setting_nuc=%d output_nuc=%d\n", setting[i] / 2, output[i] / 2);
    }
    if (r >= 0)
        r = ir::multi_point_calc_new_nuc_table(w.nuc.data(), setting, output, 3, nuc.data(), TPD_NUC_T_LEN);
    if (r < 0) {
        // The module's computation refused the points: nothing is set.
        acq::log("new recal: computation failed (%d), the tables stay as they are\n", r);
        return r;
    }

    ir::set_tpd_kt_array(kt.data());
    ir::set_tpd_bt_array(btNew.data());
    ir::set_tpd_nuc_t_array(nuc.data());
    acq::log("set new KT, BT, and NUCT:\n");
    logTables(kt.data(), btNew.data(), nuc.data());
    std::fill(kt.begin(), kt.end(), 0);
    std::fill(btNew.begin(), btNew.end(), 0);
    std::fill(nuc.begin(), nuc.end(), 0);
    ir::get_tpd_kt_array(kt.data());
    ir::get_tpd_bt_array(btNew.data());
    ir::get_tpd_nuc_t_array(nuc.data());
    acq::log("After set new KT, BT, and NUCT, read again:\n");
    logTables(kt.data(), btNew.data(), nuc.data());
    return 0;
}

void runTableCommand(int code)
{
    switch (code) {
    case kSaveHighGainTables:
        saveModuleTables(1);
        break;
    case kSaveLowGainTables:
        saveModuleTables(0);
        break;
    case kRecalHighGain:
        lastResult.store(recalibrate(1));
        break;
    case kRecalLowGain:
        lastResult.store(recalibrate(0));
        break;
    default:
        break;
    }
}

void forgetWorkingTables()
{
    std::lock_guard<std::mutex> lock(workingLock);
    working[0] = Working();
    working[1] = Working();
    lastResult.store(0);
    failedSave.store(false);
}

int lastRecalResult() { return lastResult.load(); }

void install() { acq::setTableCommandHandler(runTableCommand); }

}   // namespace caltables
