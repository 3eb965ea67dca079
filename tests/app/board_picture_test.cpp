// The board pictures are painted from their drawings, stretched into the image
// control; the pictures are kept in the screenshot folder.
#include <QImage>
#include <QWidget>
#include <filesystem>

#include "app/renderer.h"
#include "app/twips.h"
#include "model/main_view_hooks.h"
#include "pages/board_pictures.h"
#include "tests/app/rendered_form.h"
#include "ui/drawing.h"

namespace dvx::testing {
namespace {

// The board's green, as painted.
bool is_board_green(QRgb px) {
    return qRed(px) == 0x3C && qGreen(px) == 0x7A && qBlue(px) == 0x2E;
}

template <class F>
QImage grab(app::Renderer& r, F& form, const char* file) {
    std::filesystem::create_directories(DVX_SCREENSHOT_DIR);
    const QImage shot = r.window(form)->grab().toImage();
    shot.save(QString(DVX_SCREENSHOT_DIR "/") + file);
    return shot;
}

using InputBoardPicture = RenderedForm<pages::Pcb_map_2>;

TEST_F(InputBoardPicture, PaintsTheBoardWithItsHint) {
    form_->lbl_desc.set_caption("Maximum measure range: -200 till +800 \xB0" "C\r\nJP5, JP8 and JP9 close");
    renderer_->flush();
    const QImage shot = grab(*renderer_, *form_, "board_input_krv.png");
    const ui::Image& image = form_->Image1;
    const QPoint centre(app::to_px(image.left() + 200), app::to_px(image.top() + image.height() / 2));
    EXPECT_TRUE(is_board_green(shot.pixel(centre)));
    // Below the picture is the hint label, not the board.
    EXPECT_FALSE(is_board_green(shot.pixel(app::to_px(image.left() + 200),
                                           app::to_px(image.top() + image.height() + 300))));
    // Nothing but the board's colours far off the drawing's own marks: something is
    // drawn on it (chips, jumpers, pins).
    int dark = 0;
    for (int x = 0; x < app::to_px(image.width()); x += 3)
        for (int y = 0; y < app::to_px(image.height()); y += 3) {
            const QRgb px = shot.pixel(app::to_px(image.left()) + x, app::to_px(image.top()) + y);
            if (qRed(px) < 0x40 && qGreen(px) < 0x40 && qBlue(px) < 0x40) ++dark;
        }
    EXPECT_GT(dark, 50);
}

TEST_F(InputBoardPicture, EveryBoardDrawingIsRegisteredAndPaints) {
    for (std::string_view name :
         {pages::input_board_krv, pages::output_board_krv, pages::output_board_dlx}) {
        SCOPED_TRACE(std::string(name));
        const ui::Drawing* d = ui::find_drawing(name);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->width, pages::board_width);
        EXPECT_EQ(d->height, pages::board_height);
        for (const ui::Shape& s : d->shapes) {
            EXPECT_GE(s.x, 0);
            EXPECT_LE(s.x + std::max(0, s.w), d->width);
            EXPECT_GE(s.y, 0);
            EXPECT_LE(s.y + std::max(0, s.h), d->height);
        }
        form_->Image1.set_picture(std::string(name));
        renderer_->flush();
        grab(*renderer_, *form_, (std::string(name) + ".png").c_str());
    }
}

}  // namespace
}  // namespace dvx::testing
