// GTK's default theme gives entries, buttons and combo boxes minimum heights of about 34 pixels,
// taller than the rectangles of the program's templates. A small rule, scoped to template windows,
// lets every control fit its rectangle.
#include <gtk/gtk.h>

void LoadDialogStyle()
{
    static const char kCss[] =
        ".quillo-template entry { min-height: 17px; padding-top: 0; padding-bottom: 0; }\n"
        ".quillo-template button { min-height: 17px; padding-top: 0; padding-bottom: 0; }\n"
        ".quillo-template combobox button { min-height: 19px; padding-top: 0; padding-bottom: 0; }\n"
        ".quillo-template textview text { padding: 0; }\n";
    GdkScreen* screen = gdk_screen_get_default();
    if (!screen)
        return;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

// Marks a template window so the rule above applies to its controls.
void MarkTemplateWindow(GtkWidget* widget)
{
    if (widget)
        gtk_style_context_add_class(gtk_widget_get_style_context(widget), "quillo-template");
}
