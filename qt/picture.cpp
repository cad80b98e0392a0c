#include "qt/picture.h"

#include <QImageWriter>
#include <QPixmap>

namespace vantrel::qt {

bool save_picture(QWidget& window, const std::string& path, std::string& error) {
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    const QPixmap picture = window.grab();
    window.hide();
    QImageWriter writer(QString::fromStdString(path), "png");
    if (!writer.write(picture.toImage())) {
        error = "cannot write " + path + ": " + writer.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace vantrel::qt
