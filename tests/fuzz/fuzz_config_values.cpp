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
    // The store's notes on the files it rewrites, once per input (checks end the run whatever the handler).
    [[maybe_unused]] static const QtMessageHandler quiet =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static const QStringList keys = QStringLiteral("color image_mode center_focus hilo_focus zone temperature_scale "
                                                   "temp_unit high_alert low_alert display_intensity auto_power_off "
                                                   "auto_save wifi_switch language time_format usb_mode")
                                        .split(' ');
    writeFile(config::filePath(config::Main), data, size);
    writeFile(config::filePath(config::ImageCal), data, size);
    {
        config::Batch batch(config::Main);
        // One choice an input (the first byte picks it): a choice that reads
        // nothing it knows writes its default back, and every write syncs.
        const config::Choice *c = config::choice(keys[size > 0 ? data[0] % 16 : 0]);
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

    return 0;
}
