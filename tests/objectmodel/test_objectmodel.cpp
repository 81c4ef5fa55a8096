// The record collection and the catalogue as hosts reach them: the same cases through the C++
// classes, the C interface of libdarodev and the objects of the component plugin.
#include "core/transrecords.h"

#include "darodev/knexportfactory.h"
#include "darodev/records.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPluginLoader>

#include <functional>
#include <memory>

namespace {

// One record of the fixture: a tag that names it (kept as its KaprinAccount), its payee, date,
// amount in 1/10000 units and key.
struct Row {
    const char* tag;
    const char* payee;
    double date;
    long long amount;
    const char* key;
};

// 3, 1, 3 and 2 March 2014; A is paid nothing.
const Row kFixture[] = {
    {"A", "Acme", 41701, 0, "ka"},
    {"B", "Acme Hardware", 41699, 100000, ""},
    {"C", "Acme", 41701, 250000, "kc"},
    {"D", "Beta", 41700, 100000, "kd"},
};

// A collection reached one way. Results are texts so that every way is compared with one table:
// a record is its tag, a failure "error N", no record "none".
class Way {
public:
    virtual ~Way() = default;
    virtual int add(const Row& row) = 0; // 0 or the error number
    virtual int count() = 0;
    virtual QString item(const QVariant& indexKey) = 0;
    virtual int remove(const QVariant& indexKey) = 0;
    virtual QString find(const char* field, double date, const char* value, int maxLength) = 0;
    virtual int sort() = 0;
    virtual void clear() = 0;
    // The source of the last failure; the C++ classes leave it to the operation that calls them.
    virtual QString source() { return {}; }

    QString order()
    {
        QStringList tags;
        for (int position = 1; position <= count(); ++position)
            tags << item(position);
        return tags.join(u' ');
    }
};

QString error(int number)
{
    return QStringLiteral("error %1").arg(number);
}

class CppWay final : public Way {
public:
    int add(const Row& row) override
    {
        return guarded([&] {
            records_.Add(kn::CalDate(row.date), QString::fromUtf8(row.tag), QString::fromUtf8(row.payee), {}, {},
                         kn::Money::fromUnits(row.amount), {}, {}, {}, QString::fromUtf8(row.key));
        });
    }
    int count() override { return records_.Count(); }
    QString item(const QVariant& indexKey) override
    {
        QString tag;
        const int failed = guarded([&] { tag = records_.Item(indexKey)->KaprinAccount(); });
        return failed ? error(failed) : tag;
    }
    int remove(const QVariant& indexKey) override { return guarded([&] { records_.Remove(indexKey); }); }
    QString find(const char* field, double date, const char* value, int maxLength) override
    {
        const auto found = records_.FindAPBank(QString::fromUtf8(field), kn::CalDate(date), QString::fromUtf8(value),
                                               static_cast<short>(maxLength));
        return found ? found->KaprinAccount() : QStringLiteral("none");
    }
    int sort() override { return guarded([&] { records_.SortByDate(); }); }
    void clear() override { records_.Clear(); }

private:
    static int guarded(const std::function<void()>& call)
    {
        try {
            call();
            return 0;
        } catch (const kn::KNError& failure) {
            return failure.number();
        }
    }
    kn::TransRecords records_;
};

class CWay final : public Way {
public:
    CWay() : records_(kn_records_create()) {}
    ~CWay() override { kn_records_destroy(records_); }

    int add(const Row& row) override
    {
        const int position = kn_records_add(records_, row.date, row.tag, row.payee, "", "", row.amount, "", "", "", row.key);
        EXPECT_EQ(position == -1, kn_records_error_number(records_) != 0);
        return position == -1 ? kn_records_error_number(records_) : 0;
    }
    int count() override { return kn_records_count(records_); }
    QString item(const QVariant& indexKey) override
    {
        const int at = position(indexKey);
        const char* tag = kn_records_text(records_, at, "KaprinAccount");
        return tag ? QString::fromUtf8(tag) : error(kn_records_error_number(records_));
    }
    int remove(const QVariant& indexKey) override
    {
        return kn_records_remove(records_, position(indexKey)) == 0 ? 0 : kn_records_error_number(records_);
    }
    QString find(const char* field, double date, const char* value, int maxLength) override
    {
        const int found = kn_records_find_ap_bank(records_, field, date, value, maxLength);
        return found ? item(found) : QStringLiteral("none");
    }
    int sort() override { return kn_records_sort_by_date(records_) == 0 ? 0 : kn_records_error_number(records_); }
    void clear() override { kn_records_clear(records_); }
    QString source() override { return QString::fromUtf8(kn_records_error_source(records_)); }

private:
    // The C interface reaches records by position; a key is looked up first (0 when none has it).
    int position(const QVariant& indexKey)
    {
        if (indexKey.typeId() == QMetaType::QString)
            return kn_records_position(records_, indexKey.toString().toUtf8().constData());
        return indexKey.toInt();
    }
    kn_records* records_;
};

// The component plugin as a late-bound host loads it.
struct Plugin {
    Plugin() : loader(QStringLiteral(DARODEV_COMPONENT_PLUGIN_PATH))
    {
        factory = qobject_cast<darodev::KNExportFactory*>(loader.instance());
    }
    QPluginLoader loader;
    darodev::KNExportFactory* factory = nullptr;
};

// Calls a member by name that hands out an object, which becomes the caller's.
template <typename... Args>
std::unique_ptr<QObject> call(QObject* target, const char* member, Args... args)
{
    QObject* result = nullptr;
    EXPECT_TRUE(QMetaObject::invokeMethod(target, member, Q_RETURN_ARG(QObject*, result), args...)) << member;
    return std::unique_ptr<QObject>(result);
}

class PluginWay final : public Way {
public:
    explicit PluginWay(darodev::KNExportFactory& factory) : records_(factory.createObject(QStringLiteral("TransRecords")))
    {
    }

    int add(const Row& row) override
    {
        const auto record = call(records_.get(), "Add", Q_ARG(double, row.date), Q_ARG(QString, row.tag),
                                 Q_ARG(QString, row.payee), Q_ARG(QString, ""), Q_ARG(QString, ""),
                                 Q_ARG(double, double(row.amount) / 10000), Q_ARG(QString, ""), Q_ARG(QString, ""),
                                 Q_ARG(QString, ""), Q_ARG(QString, row.key));
        return record ? 0 : errorNumber();
    }
    int count() override { return invoke<int>("Count", -1); }
    QString item(const QVariant& indexKey) override
    {
        const auto record = call(records_.get(), "Item", Q_ARG(QVariant, indexKey));
        return record ? record->property("KaprinAccount").toString() : error(errorNumber());
    }
    int remove(const QVariant& indexKey) override
    {
        return invoke<bool>("Remove", false, Q_ARG(QVariant, indexKey)) ? 0 : errorNumber();
    }
    QString find(const char* field, double date, const char* value, int maxLength) override
    {
        const auto record = call(records_.get(), "FindAPBank", Q_ARG(QString, field), Q_ARG(double, date),
                                 Q_ARG(QString, value), Q_ARG(int, maxLength));
        return record ? record->property("KaprinAccount").toString() : QStringLiteral("none");
    }
    int sort() override { return invoke<bool>("SortByDate", false) ? 0 : errorNumber(); }
    void clear() override { QMetaObject::invokeMethod(records_.get(), "Clear"); }
    QString source() override { return records_->property("ErrorSource").toString(); }

private:
    int errorNumber() { return records_->property("ErrorNumber").toInt(); }
    // Calls a member by name that returns an R; `failed` when the call goes nowhere.
    template <typename R, typename... Args>
    R invoke(const char* member, R failed, Args... args)
    {
        R result = failed;
        QMetaObject::invokeMethod(records_.get(), member, QReturnArgument<R>(QMetaType::fromType<R>().name(), result), args...);
        return result;
    }
    std::unique_ptr<QObject> records_;
};

class ObjectModel : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        const std::string name = GetParam();
        if (name == "Cpp") {
            way_ = std::make_unique<CppWay>();
        } else if (name == "C") {
            way_ = std::make_unique<CWay>();
        } else {
            ASSERT_NE(plugin_.factory, nullptr) << plugin_.loader.errorString().toStdString();
            way_ = std::make_unique<PluginWay>(*plugin_.factory);
        }
        for (const Row& row : kFixture)
            ASSERT_EQ(way_->add(row), 0);
    }
    // The source a failure of the operation shows; the C++ classes leave it empty.
    QString sourceOf(const char* operation) const
    {
        return std::string(GetParam()) == "Cpp" ? QString() : QStringLiteral("TransRecords.") + QLatin1String(operation);
    }

    Plugin plugin_;
    std::unique_ptr<Way> way_;
};

TEST_P(ObjectModel, PositionsAndKeys)
{
    const struct {
        QVariant indexKey;
        const char* expected;
    } cases[] = {
        {1, "A"}, {4, "D"}, {QStringLiteral("kc"), "C"}, {0, "error 5"}, {5, "error 5"}, {-1, "error 5"},
        {QStringLiteral("nobody"), "error 5"}, {QString(), "error 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.indexKey.toString().toStdString());
        EXPECT_EQ(way_->item(c.indexKey), QLatin1String(c.expected));
    }
    EXPECT_EQ(way_->source(), sourceOf("Item"));

    EXPECT_EQ(way_->add({"E", "Echo", 41700, 1, "ka"}), 457);
    EXPECT_EQ(way_->source(), sourceOf("Add"));
    EXPECT_EQ(way_->add({"E", "Echo", 41700, 1, ""}), 0) << "an empty key is no key";
    EXPECT_EQ(way_->order(), u"A B C D E");

    EXPECT_EQ(way_->remove(QStringLiteral("kc")), 0);
    EXPECT_EQ(way_->remove(1), 0);
    EXPECT_EQ(way_->order(), u"B D E");
    EXPECT_EQ(way_->item(QStringLiteral("kc")), u"error 5") << "a removed record's key finds nothing";
    EXPECT_EQ(way_->remove(4), 5);
    EXPECT_EQ(way_->source(), sourceOf("Remove"));
    EXPECT_EQ(way_->add({"C", "Acme", 41701, 1, "kc"}), 0) << "a removed record's key is free again";
    way_->clear();
    EXPECT_EQ(way_->count(), 0);
    way_->clear();
    EXPECT_EQ(way_->count(), 0);
}

TEST_P(ObjectModel, FindAPBank)
{
    // E's date has a time of day; F is a second match after C.
    ASSERT_EQ(way_->add({"E", "Acme", 41701.5, 1, ""}), 0);
    ASSERT_EQ(way_->add({"F", "Acme", 41701, 1, ""}), 0);
    const struct {
        const char* field;
        double date;
        const char* value;
        int maxLength;
        const char* expected;
    } cases[] = {
        {"paidto", 41701, "ACME", 0, "C"}, // A is paid nothing; C comes before E and F
        {"PaidTo", 41699, "acme hardware", 0, "B"},
        {"PAIDTO", 41699, "ACME", 4, "B"},
        {"PAIDTO", 41699, "ACME HARDWARE", 4, "none"}, // the value itself is never cut
        {"PAIDTO", 41699, "ACME", 0, "none"},
        {"PAIDTO", 41701.5, "ACME", 0, "E"}, // a time of day is another date
        {"PAIDTO", 41700.5, "BETA", 0, "none"},
        {"Payee", 41701, "ACME", 0, "none"},
        {"PAIDTO", 41700, "BETA", -3, "D"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.value + " " + std::to_string(c.maxLength));
        EXPECT_EQ(way_->find(c.field, c.date, c.value, c.maxLength), QLatin1String(c.expected));
    }
}

TEST_P(ObjectModel, SortByDateKeepsEqualDatesInOrderMovedRecordsLoseTheirKeysAndStopsAt32767)
{
    ASSERT_EQ(way_->sort(), 0);
    EXPECT_EQ(way_->order(), u"B D A C");
    EXPECT_EQ(way_->item(QStringLiteral("ka")), u"A");
    EXPECT_EQ(way_->item(QStringLiteral("kd")), u"error 5");

    way_->clear();
    for (int i = 0; i < 32767; ++i)
        ASSERT_EQ(way_->add({"X", "X", double(i % 7), 1, ""}), 0);
    EXPECT_EQ(way_->sort(), 0);
    ASSERT_EQ(way_->add({"X", "X", 0, 1, ""}), 0);
    EXPECT_EQ(way_->sort(), 6);
    EXPECT_EQ(way_->source(), sourceOf("SortByDate"));
}

INSTANTIATE_TEST_SUITE_P(EveryWayIn, ObjectModel, ::testing::Values("Cpp", "C", "plugin"),
                         [](const auto& info) { return std::string(info.param); });

// What only the plugin's objects do: one catalogue per converter, plain numbers for dates and
// amounts, and an unload query that counts every object handed out.
TEST(PluginObjects, TheCatalogueIsOneObjectAndEveryObjectCounts)
{
    Plugin plugin;
    ASSERT_NE(plugin.factory, nullptr) << plugin.loader.errorString().toStdString();
    darodev::KNExportFactory& factory = *plugin.factory;
    for (const char* name : {"KNExport", "TransRecords", "TransRecord", "Packages", "Package"})
        EXPECT_NE(std::unique_ptr<QObject>(factory.createObject(QLatin1String(name))), nullptr) << name;
    EXPECT_EQ(factory.createObject(QStringLiteral("Nope")), nullptr);
    EXPECT_TRUE(factory.canUnloadNow());

    auto knexport = std::unique_ptr<QObject>(factory.createObject(QStringLiteral("KNExport")));
    QObject* packages = call(knexport.get(), "AcctPackages").release(); // the converter's own
    EXPECT_EQ(call(knexport.get(), "AcctPackages").release(), packages);
    auto added = call(packages, "Add", Q_ARG(QString, "Mine"), Q_ARG(QString, "99"), Q_ARG(double, 41876.5),
                            Q_ARG(QString, "csv"), Q_ARG(QString, "MINE"), Q_ARG(QString, "Mine"), Q_ARG(QString, "mine"));
    ASSERT_NE(added, nullptr);
    bool loaded = false;
    QMetaObject::invokeMethod(knexport.get(), "LoadAccountingPackageList", Q_RETURN_ARG(bool, loaded),
                              Q_ARG(QStringList, QStringList({"09~qif~Q~~Quicken~Quicken", ""})));
    ASSERT_TRUE(loaded);
    auto mine = call(packages, "Item", Q_ARG(QVariant, QStringLiteral("mine")));
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->property("LastUpdated").toDouble(), 41876.5);
    mine->setProperty("PackageTitle", QStringLiteral("Changed"));
    EXPECT_EQ(added->property("PackageTitle").toString(), u"Changed") << "both stand for the one package";
    EXPECT_EQ(call(packages, "Add", Q_ARG(QString, "x"), Q_ARG(QString, "x"), Q_ARG(double, 0), Q_ARG(QString, "x"),
                   Q_ARG(QString, "x"), Q_ARG(QString, "x"), Q_ARG(QString, "mine")),
              nullptr);
    EXPECT_EQ(packages->property("ErrorNumber").toInt(), 457);
    EXPECT_EQ(packages->property("ErrorSource").toString(), u"Packages.Add");

    auto record = std::unique_ptr<QObject>(factory.createObject(QStringLiteral("TransRecord")));
    record->setProperty("Amount", 12.34567);
    EXPECT_EQ(record->property("Amount").toDouble(), 12.3457) << "kept to 1/10000";

    knexport.reset();
    EXPECT_FALSE(factory.canUnloadNow()) << "packages handed out still live";
    record.reset();
    added.reset();
    mine.reset();
    EXPECT_TRUE(factory.canUnloadNow());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
