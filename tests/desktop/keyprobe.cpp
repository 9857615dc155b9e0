// A window with one text field that writes what it holds to the file named by its argument after
// every change: the other window that the desktop tests type into.
#include <QApplication>
#include <QFile>
#include <QLineEdit>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString out = QString::fromLocal8Bit(argv[1]);
    QLineEdit field;
    field.setWindowTitle(QStringLiteral("keyprobe"));
    field.resize(300, 40);
    QObject::connect(&field, &QLineEdit::textChanged, [&out](const QString& text) {
        QFile file(out);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text.toUtf8());
    });
    field.show();
    return app.exec();
}
