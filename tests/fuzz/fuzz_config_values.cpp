// The configuration files live on the board and may be hand-edited or cut
// short by a power loss. Whatever a file holds, every value read back from it
// is one the camera can take: a one-of-N choice names one of its buttons (and
// reads the same the second time, once its default is written back), and
// every number read within its range lands inside it.
#include "fuzztarget.h"
#include "core/config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzBoard b;
    // Qt's warnings on values it cannot load, once per input.
    [[maybe_unused]] static const QtMessageHandler qts =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static const char *const keys[] = {"color",       "image_mode",        "center_focus",   "hilo_focus",
                                       "zone",        "temperature_scale", "temp_unit",      "high_alert",
                                       "low_alert",   "display_intensity", "auto_power_off", "auto_save",
                                       "wifi_switch", "language",          "time_format",    "usb_mode"};
    writeFile(config::filePath(config::Main), data, size);
    writeFile(config::filePath(config::ImageCal), data, size);
    {
        config::Batch batch(config::Main);
        // One choice an input (the first byte picks it): a choice that reads
        // nothing it knows writes its default back, and every write syncs.
        const config::Choice *c = config::choice(QString::fromLatin1(keys[size > 0 ? data[0] % 16 : 0]));
        check(c != nullptr, "a choice key is unknown");
        const int first = config::readChoice(*c);
        check(first >= 0 && first < c->texts.size(), "a choice outside its buttons");
        check(config::readChoice(*c) == first, "a choice reads differently the second time");
        const int weight = config::readTrans(), pip = config::readPipTrans();
        check(weight >= 0 && weight <= 100 && pip >= 25 && pip <= 100,
              "trans outside 0..100 or piptrans outside 25..100");
        const float alignment = config::readAlignment();
        check(alignment >= 0.5f && alignment <= 3.0f, "alignment outside 0.5..3.0");
    }
    const int x = config::readVlcPostX(), y = config::readVlcPostY();
    check(x >= 0 && x <= 72 && y >= 0 && y <= 96, "a visible picture offset outside its range");

    // The same rule on the raw text, with bounds from the input.
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const int lo = size > 0 ? static_cast<int8_t>(data[0]) : 0, hi = lo + (size > 1 ? data[1] : 0);
    const int v = config::intInRange(text, lo, hi, lo - 1);
    const float f = config::floatInRange(text, static_cast<float>(lo), static_cast<float>(hi), -1000.0f);
    check(v == lo - 1 || (v >= lo && v <= hi), "intInRange outside its range");
    check(f == -1000.0f || (f >= static_cast<float>(lo) && f <= static_cast<float>(hi)),
          "floatInRange outside its range");
    return 0;
}
