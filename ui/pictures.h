// The program's pictures: the icons of the main window's picture buttons, the program icon and
// the About box picture. They are drawn with QPainter from simple shapes, so they are sharp at
// every size and need no image files.
#pragma once

#include <QIcon>
#include <QPixmap>

enum class Picture {
    Program,
    Invoice,
    InvoicePrint,
    InvoiceLabels,
    Customer,
    Groups,
    Product,
    Purchase,
    ProductList,
    PurchaseReport,
    Statements,
    Profile,
    SalesReport,
    AddressLabels,
    InventoryReport,
    MailMerge,
    Backup,
    Restore,
    Erase,
    Reindex,
    Pack,
    Upgrade,
    Help,
};

// The picture drawn on a transparent square of `size` pixels.
QPixmap RenderPicture(Picture picture, int size);

// The picture as an icon, drawn at the usual icon sizes.
QIcon PictureIcon(Picture picture);

// The picture of the About box: the program icon with the program's name and version.
QPixmap AboutPicture();
