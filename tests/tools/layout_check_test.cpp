// The layout check of sheet_screens on small pages made to pass or fail it: a cut-off label,
// checkbox or list, overlapping controls, a word-wrapped label short of height are named;
// a sound form, hidden controls and a text-less arrow button are not.
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>
#include <memory>

#include "tools/screens/layout_check.h"

using Build = std::function<void(QWidget* page)>;
Q_DECLARE_METATYPE(Build)

class LayoutCheckTest : public QObject {
    Q_OBJECT
private slots:
    void findings_data();
    void findings();
};

void LayoutCheckTest::findings_data() {
    QTest::addColumn<Build>("build");
    QTest::addColumn<QStringList>("expected");  // one text each finding contains, in order

    QTest::newRow("sound form") << Build([](QWidget* p) {
        auto* form = new QFormLayout(p);
        auto* list = new QComboBox(p);
        list->addItems({"keine", "XON/XOFF", "RTS/CTS"});
        auto* label = new QLabel("&Flusskontrolle:", p);
        label->setBuddy(list);
        form->addRow(label, list);
        form->addRow(new QCheckBox("BREAK Überwachung akti&vieren", p));
    }) << QStringList{};

    QTest::newRow("label narrower than its text") << Build([](QWidget* p) {
        auto* box = new QVBoxLayout(p);
        auto* label = new QLabel("Zeichenverzugszeit:", p);
        label->setObjectName("delayLabel");
        label->setFixedWidth(30);
        box->addWidget(label);
    }) << QStringList{"QLabel delayLabel \"Zeichenverzugszeit:\": cut off, width 30 <"};

    QTest::newRow("checkbox and list narrower than their texts") << Build([](QWidget* p) {
        auto* box = new QVBoxLayout(p);
        auto* check = new QCheckBox("Empfangsfehler am FB anzeigen", p);
        check->setFixedWidth(40);
        auto* list = new QComboBox(p);
        list->addItems({"1", "halbduplex mit Vorbelegung"});
        list->setFixedWidth(40);
        box->addWidget(check);
        box->addWidget(list);
    }) << QStringList{"QCheckBox \"Empfangsfehler am FB anzeigen\": cut off, width 40", "QComboBox \"1\": cut off, width 40"};

    QTest::newRow("two controls on one place, named once") << Build([](QWidget* p) {
        auto* a = new QLabel("Baudrate", p);
        auto* b = new QCheckBox("Standardwerte", p);
        a->setGeometry(0, 0, a->sizeHint().width(), a->sizeHint().height());
        b->setGeometry(10, 0, b->sizeHint().width(), b->sizeHint().height());
    }) << QStringList{"QLabel \"Baudrate\": overlaps QCheckBox \"Standardwerte\""};

    QTest::newRow("label over a field it does not own") << Build([](QWidget* p) {
        auto* field = new QWidget(p);
        field->setObjectName("wCharDelay");
        field->setGeometry(0, 0, 100, 20);
        auto* label = new QLabel("ms", p);
        label->setGeometry(90, 0, label->sizeHint().width(), label->sizeHint().height());
    }) << QStringList{"QLabel \"ms\": overlaps QWidget wCharDelay"};

    QTest::newRow("hidden controls are not looked at") << Build([](QWidget* p) {
        auto* box = new QVBoxLayout(p);
        auto* label = new QLabel("&RTS / CTS", p);
        label->setFixedWidth(5);
        box->addWidget(label);
        label->hide();
    }) << QStringList{};

    QTest::newRow("arrow button has no text to cut") << Build([](QWidget* p) {
        auto* box = new QVBoxLayout(p);
        auto* up = new QToolButton(p);
        up->setArrowType(Qt::UpArrow);
        up->setFixedSize(4, 4);
        box->addWidget(up);
    }) << QStringList{};

    QTest::newRow("wrapped label given its lines") << Build([](QWidget* p) {
        auto* box = new QVBoxLayout(p);
        auto* label = new QLabel("Der CP-Empfangspuffer wird im Anlauf der Baugruppe gelöscht, wenn mehr als ein Telegramm gepuffert wird.", p);
        label->setWordWrap(true);
        label->setFixedWidth(120);
        box->addWidget(label);
    }) << QStringList{};

    QTest::newRow("wrapped label short of height") << Build([](QWidget* p) {
        auto* box = new QVBoxLayout(p);
        auto* label = new QLabel("Der CP-Empfangspuffer wird im Anlauf der Baugruppe gelöscht, wenn mehr als ein Telegramm gepuffert wird.", p);
        label->setWordWrap(true);
        label->setFixedSize(120, 20);
        box->addWidget(label);
    }) << QStringList{"cut off, height 20 <"};
}

void LayoutCheckTest::findings() {
    QFETCH(Build, build);
    QFETCH(QStringList, expected);
    auto page = std::make_unique<QWidget>();
    build(page.get());
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    const QStringList found = screens::checkLayout(page.get());
    QCOMPARE(found.size(), expected.size());
    for (int i = 0; i < found.size(); ++i) QVERIFY2(found[i].contains(expected[i]), qPrintable(found[i]));
}

QTEST_MAIN(LayoutCheckTest)
#include "layout_check_test.moc"
