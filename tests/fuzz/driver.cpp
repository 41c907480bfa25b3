// Runs a fuzz target without libFuzzer: over its built-in seeds and every
// file of the corpus folders named after the count, then over a fixed number
// of deterministic mutations of them (count from argv[1]).
#include "fuzztarget.h"

#include <random>

int main(int argc, char **argv)
{
    std::vector<std::string> corpus = fuzzSeeds ? fuzzSeeds() : std::vector<std::string>();
    for (int a = 2; a < argc; ++a)
        for (const QFileInfo &file : QDir(QString::fromLocal8Bit(argv[a])).entryInfoList(QDir::Files | QDir::Hidden)) {
            QFile in(file.filePath());
            corpus.push_back(in.open(QIODevice::ReadOnly) ? in.readAll().toStdString() : std::string());
        }
    corpus.emplace_back();
    // Every input as it is, then mutations: one to eight bytes inserted, erased or changed, or a piece of another
    // input added.
    std::mt19937 rng(12345);
    const long inputs = static_cast<long>(corpus.size()), rounds = argc > 1 ? QByteArray(argv[1]).toLong() : 1000;
    for (long i = 0; i < inputs + rounds; ++i) {
        std::string s = corpus[i < inputs ? static_cast<size_t>(i) : rng() % corpus.size()];
        for (int e = i < inputs ? 0 : 1 + static_cast<int>(rng() % 8); e > 0; --e) {
            const unsigned op = rng() % 4;
            const size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
            if (op == 0 || s.empty())
                s.insert(at, 1, static_cast<char>(rng() & 0xff));
            else if (op == 1 && at < s.size())
                s.erase(at, 1 + rng() % 4);
            else if (op == 2 && at < s.size())
                s[at] = static_cast<char>(rng() & 0xff);
            else
                s += corpus[rng() % corpus.size()].substr(0, 16);
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(s.data()), s.size());
        if (i >= inputs && s.size() < 4096 && corpus.size() < 256 && (rng() % 16) == 0)
            corpus.push_back(s);
    }
    qInfo("%ld inputs, no fault", inputs + rounds);
    return 0;
}
