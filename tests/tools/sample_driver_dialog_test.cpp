// The sample driver's own parameter dialog, called as the overview calls it: through the
// library's DoProperty export on the driver's data area.
#include <dlfcn.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <functional>
#include <vector>

#include "document/driver_abi.h"

namespace {

// Runs `act` on the dialog once it is shown, from the dialog's own event loop.
void whenShown(const std::function<void(QDialog*)>& act) {
    QTimer::singleShot(0, [act] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) act(d);
        else whenShown(act);
    });
}

struct Shown {
    bool stationEnabled = false, timeoutEnabled = false;
    int station = 0, timeout = 0;
    QString driver, module;
};

}  // namespace

class SampleDriverDialog : public QObject {
    Q_OBJECT

    void* handle_ = nullptr;
    PtpDoProperty doProperty_ = nullptr;
    PtpDoDefault doDefault_ = nullptr;
    CDb db_{};
    PtpDriverInfo info_{};
    std::vector<uint8_t> bytes_;
    uint32_t length_ = 0;
    PtpDriverData area_{};

    // Opens the dialog; `station`/`timeout` are typed when not 0, then `button` is clicked.
    int open(Shown& shown, int station, int timeout, const char* button) {
        whenShown([&, station, timeout, button](QDialog* d) {
            auto* s = d->findChild<QSpinBox*>("stationAddress");
            auto* t = d->findChild<QSpinBox*>("timeoutMs");
            if (s && t) {
                shown = Shown{s->isEnabled(), t->isEnabled(), s->value(), t->value(),
                              d->findChild<QLabel*>("driverName")->text(), d->findChild<QLabel*>("moduleName")->text()};
                if (station) s->setValue(station);
                if (timeout) t->setValue(timeout);
            }
            if (auto* b = d->findChild<QPushButton*>(button)) b->click();
            else d->reject();
        });
        return doProperty_(&db_, &info_, &area_, nullptr);
    }

private slots:
    void initTestCase() {
        handle_ = ::dlopen(PTP_SAMPLE_DRIVER, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(handle_, ::dlerror());
        doProperty_ = reinterpret_cast<PtpDoProperty>(::dlsym(handle_, kPtpDoProperty));
        doDefault_ = reinterpret_cast<PtpDoDefault>(::dlsym(handle_, kPtpDoDefault));
        QVERIFY(doProperty_ && doDefault_);
    }
    void init() {
        db_ = CDb{};
        info_ = PtpDriverInfo{};
        std::memcpy(info_.driverName, "SAMPK831", 8);
        info_.driverVerHi = 1;
        info_.driverVerLo = 2;
        std::strcpy(info_.moduleName, "CP 831-2");
        bytes_.assign(10240, 0);
        length_ = 0;
        area_ = PtpDriverData{bytes_.data(), static_cast<uint32_t>(bytes_.size()), &length_};
        doDefault_(&db_, &info_, &area_);
    }

    void showsTheAreaAndTheDriver() {
        bytes_[5] = 42;
        Shown shown;
        QCOMPARE(open(shown, 0, 0, "cancel"), 0);
        QCOMPARE(shown.station, 42);
        QCOMPARE(shown.timeout, 1000);
        QCOMPARE(shown.driver, QString("SAMPK831 V1.2"));
        QCOMPARE(shown.module, QString("CP 831-2"));
        QVERIFY(shown.stationEnabled && shown.timeoutEnabled);
    }

    void confirmedChangeIsStoredAndReported() {
        Shown shown;
        QCOMPARE(open(shown, 17, 250, "ok"), 1);
        const std::vector<uint8_t> layout = {'B', 'T', 1, 8, 0, 17, 0, 250};
        QCOMPARE(std::vector<uint8_t>(bytes_.begin(), bytes_.begin() + 8), layout);
        QCOMPARE(length_, 8u);
    }

    void okWithoutChangeOrCancelReportsNothing() {
        const auto before = bytes_;
        Shown shown;
        QCOMPARE(open(shown, 0, 0, "ok"), 0);
        QCOMPARE(open(shown, 17, 250, "cancel"), 0);
        QVERIFY(bytes_ == before);
    }

    void onlineShowsButChangesNothing() {
        info_.online = 1;
        const auto before = bytes_;
        Shown shown;
        QCOMPARE(open(shown, 17, 250, "ok"), 0);
        QVERIFY(!shown.stationEnabled);
        QVERIFY(!shown.timeoutEnabled);
        QVERIFY(bytes_ == before);
    }

    void cleanupTestCase() {
        if (handle_) ::dlclose(handle_);
    }
};

QTEST_MAIN(SampleDriverDialog)
#include "sample_driver_dialog_test.moc"
