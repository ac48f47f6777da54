#include "chart/chartgeneration.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

// A source held in memory, as a saved scan would be: folders and their subfolders' sizes.
// Listings come on the next turn of the event loop, unless the folder is silent; totals only
// when the test releases them, last subfolder first.
class HeldSource final : public ChartSource {
public:
    QHash<QString, QList<qint64>> folders; // folder -> its subfolders' sizes, "s0", "s1", ...
    QString silent;                        // a folder whose listing never comes

    void list(const QString &folder, QObject *context,
              std::function<void(ChartListing)> done) override
    {
        if (folder == silent)
            return;
        ChartListing listing;
        listing.listed = folders.contains(folder);
        listing.folder = folder;
        for (int i = 0; i < folders.value(folder).size(); ++i) {
            const QString name = QStringLiteral("s%1").arg(i);
            listing.subfolders.append({name, (folder + u'/' + name).toUtf8()});
        }
        QMetaObject::invokeMethod(
            context, [done, listing] { done(listing); }, Qt::QueuedConnection);
    }

    struct Sizing final : ChartSizing {
        QList<QByteArray> paths;
        SizingCallbacks callbacks;
        bool stopped = false;
        void stop() override { stopped = true; }
    };

    std::shared_ptr<ChartSizing> size(const QList<QByteArray> &paths, const ChartOptions &,
                                      SizingCallbacks callbacks) override
    {
        auto sizing = std::make_shared<Sizing>();
        sizing->paths = paths;
        sizing->callbacks = std::move(callbacks);
        sizings.append(sizing);
        return sizing;
    }

    // Hands over every total of the sizings not stopped, in reverse list order.
    void release()
    {
        for (const std::shared_ptr<Sizing> &sizing : std::as_const(sizings)) {
            for (qsizetype i = sizing->paths.size(); i-- > 0 && !sizing->stopped;) {
                const QByteArray &path = sizing->paths.at(i);
                const QString folder = QString::fromUtf8(path.left(path.lastIndexOf('/')));
                sizing->callbacks.sized(int(i), {folders.value(folder).at(i), quint64(i)});
            }
        }
        sizings.clear();
    }

    QList<std::shared_ptr<Sizing>> sizings;
};

void runEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents();
}

struct Recorded {
    explicit Recorded(ChartGeneration &generation, const ChartModel &model)
    {
        QObject::connect(&generation, &ChartGeneration::listed, &generation,
                         [this](const QString &folder, int count) {
                             steps << QStringLiteral("listed %1 %2").arg(folder).arg(count);
                         });
        QObject::connect(&generation, &ChartGeneration::refused, &generation,
                         [this](const QString &folder, bool stalled) {
                             steps << QStringLiteral("refused %1%2")
                                          .arg(folder,
                                               stalled ? QStringLiteral(" stalled") : QString());
                         });
        QObject::connect(&generation, &ChartGeneration::subfolderStarting, &generation,
                         [this](int index) { steps << QStringLiteral("starting %1").arg(index); });
        QObject::connect(&generation, &ChartGeneration::finished, &generation,
                         [this] { steps << QStringLiteral("finished"); });
        QObject::connect(&model, &ChartModel::subfolderChanged, &generation,
                         [this, &model](int index) {
                             steps << QStringLiteral("%1 %2 %3")
                                          .arg(model.folder())
                                          .arg(index)
                                          .arg(model.at(index).state == ChartModel::State::Done
                                                   ? QString::number(model.at(index).bytes)
                                                   : QStringLiteral("sizing"));
                         });
    }
    QStringList steps;
};

} // namespace

TEST(ChartGeneration, FillsTheModelInListOrderWhateverOrderTheTotalsCome)
{
    ChartModel model;
    const auto source = std::make_shared<HeldSource>();
    source->folders.insert(QStringLiteral("A"), {10, 20, 30});
    ChartGeneration generation(model, source);
    Recorded recorded(generation, model);

    generation.start(QStringLiteral("A"));
    EXPECT_TRUE(generation.listing());
    runEventsFor(20);
    source->release();
    runEventsFor(20);

    EXPECT_EQ(recorded.steps, QStringList({"listed A 3", "starting 0", "A 0 sizing", "A 0 10",
                                           "starting 1", "A 1 sizing", "A 1 20", "starting 2",
                                           "A 2 sizing", "A 2 30", "finished"}));
    EXPECT_EQ(model.total(), 60);
    EXPECT_EQ(generation.unreadable(2), 2u);
    EXPECT_FALSE(generation.running());
    EXPECT_FALSE(generation.listing());

    // A slice taken out (moved to the Trash) takes its count along.
    model.reset(model.generation(), model.folder(), {model.at(0), model.at(2)});
    EXPECT_EQ(generation.unreadable(1), 2u);
    EXPECT_EQ(generation.unreadable(2), 0u);
}

// While a listing is awaited the generation running moves no further; a folder without
// subfolders, or one that cannot be listed, lets it go on, and one with subfolders replaces it.
TEST(ChartGeneration, ANewFolderReplacesTheRunningGenerationOnlyIfItHasSubfolders)
{
    ChartModel model;
    const auto source = std::make_shared<HeldSource>();
    source->folders.insert(QStringLiteral("A"), {10, 20});
    source->folders.insert(QStringLiteral("Empty"), {});
    source->folders.insert(QStringLiteral("B"), {5});
    ChartGeneration generation(model, source);
    Recorded recorded(generation, model);
    generation.start(QStringLiteral("A"));
    runEventsFor(20);

    generation.start(QStringLiteral("Empty"));
    source->release(); // A's totals come while Empty is listed: none is shown yet
    EXPECT_EQ(recorded.steps.size(), 3);
    runEventsFor(20);
    generation.start(QStringLiteral("Gone"));
    runEventsFor(20);
    EXPECT_EQ(recorded.steps,
              QStringList({"listed A 2", "starting 0", "A 0 sizing", "listed Empty 0", "A 0 10",
                           "starting 1", "A 1 sizing", "A 1 20", "finished", "refused Gone"}));

    recorded.steps.clear();
    generation.start(QStringLiteral("A"));
    runEventsFor(20);
    generation.start(QStringLiteral("B"));
    runEventsFor(20);
    source->release();
    runEventsFor(20);
    EXPECT_EQ(recorded.steps, QStringList({"listed A 2", "starting 0", "A 0 sizing", "listed B 1",
                                           "starting 0", "B 0 sizing", "B 0 5", "finished"}));
}

TEST(ChartGeneration, AListingThatDoesNotComeWithinTheBoundIsRefusedAsStalled)
{
    ChartModel model;
    const auto source = std::make_shared<HeldSource>();
    source->silent = QStringLiteral("Silent");
    ChartGeneration generation(model, source);
    Recorded recorded(generation, model);

    QElapsedTimer clock;
    clock.start();
    generation.start(QStringLiteral("Silent"), {std::chrono::milliseconds(300)});
    EXPECT_TRUE(generation.listing());
    while (recorded.steps.isEmpty() && clock.elapsed() < 10000)
        QCoreApplication::processEvents();

    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_EQ(recorded.steps, QStringList({"refused Silent stalled"}));
    EXPECT_FALSE(generation.listing());
}
