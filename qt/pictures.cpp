// SPDX-License-Identifier: GPL-2.0-or-later
#include "qt/pictures.h"

#include <QImageWriter>
#include <QPixmap>
#include <QString>

#include "res/resource_ids.h"

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

namespace {

// Each icon resource as the Qt resource file built from res/icons carries it.
QString resource_path(int resource_id) {
    switch (resource_id) {
        case IDR_MAINFRAME:
            return QStringLiteral(":/icons/mainframe.ico");
        case IDI_CAUTION:
            return QStringLiteral(":/icons/caution.ico");
        default:
            return {};
    }
}

}  // namespace

IconHandle IconLibrary::handle(int resource_id) {
    const auto found = icons_.find(resource_id);
    if (found != icons_.end()) {
        return &found->second;
    }
    const QString path = resource_path(resource_id);
    if (path.isEmpty()) {
        return nullptr;
    }
    QIcon icon(path);
    if (icon.isNull()) {
        return nullptr;
    }
    return &icons_.emplace(resource_id, std::move(icon)).first->second;
}

}  // namespace vantrel::qt
