#include "webengine/master_css.h"

namespace webengine {

const char kMasterCss[] = R"css(
html { display: block; }
head, script, style, title, meta, link, base, template, noscript, datalist, param { display: none; }
[hidden] { display: none; }
body { display: block; margin: 8px; }
address, article, aside, blockquote, center, dd, details, dialog, dir, div, dl, dt, fieldset,
figcaption, figure, footer, form, header, hgroup, hr, legend, main, menu, nav, ol, p, pre,
section, summary, ul { display: block; }
p, blockquote, figure, dl, pre { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin-left: 40px; margin-right: 40px; }
dd { margin-left: 40px; }
h1, h2, h3, h4, h5, h6 { display: block; font-weight: bold; }
h1 { font-size: 2em; margin-top: 0.67em; margin-bottom: 0.67em; }
h2 { font-size: 1.5em; margin-top: 0.83em; margin-bottom: 0.83em; }
h3 { font-size: 1.17em; margin-top: 1em; margin-bottom: 1em; }
h4 { margin-top: 1.33em; margin-bottom: 1.33em; }
h5 { font-size: 0.83em; margin-top: 1.67em; margin-bottom: 1.67em; }
h6 { font-size: 0.67em; margin-top: 2.33em; margin-bottom: 2.33em; }
ul, ol, menu, dir { padding-left: 40px; margin-top: 1em; margin-bottom: 1em; }
ul ul, ul ol, ol ul, ol ol { margin-top: 0; margin-bottom: 0; }
ul, menu, dir { list-style-type: disc; }
ol { list-style-type: decimal; }
li { display: list-item; }
table { display: table; border-spacing: 2px; border-collapse: separate; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { font-weight: bold; text-align: center; }
caption { display: table-caption; text-align: center; }
col { display: table-column; }
colgroup { display: table-column-group; }
b, strong { font-weight: bold; }
i, cite, em, var, dfn, address { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
small { font-size: smaller; }
big { font-size: larger; }
sub { vertical-align: sub; font-size: smaller; }
sup { vertical-align: super; font-size: smaller; }
pre, code, kbd, samp, tt, xmp, listing, plaintext { font-family: monospace; }
pre, xmp, listing, plaintext { white-space: pre; }
center { text-align: center; }
a:link, a:visited, a[href] { color: #0000ee; text-decoration: underline; cursor: pointer; }
hr { border-style: inset; border-width: 1px; color: gray; margin-top: 0.5em; margin-bottom: 0.5em; }
img { display: inline-block; }
button, input, select, textarea {
  display: inline-block; font-size: 13px; font-family: sans-serif; color: #000000;
}
button, input[type="button"], input[type="submit"], input[type="reset"] {
  padding: 1px 6px; border: 2px outset #dddddd; background-color: #dddddd; text-align: center;
}
input, textarea, select { border: 2px inset #dddddd; background-color: #ffffff; padding: 1px 2px; }
input { width: 150px; height: 18px; }
input[type="checkbox"], input[type="radio"] { width: 13px; height: 13px; padding: 0; }
input[type="hidden"] { display: none; }
textarea { width: 160px; height: 32px; }
fieldset { margin-left: 2px; margin-right: 2px; padding: 0.35em 0.75em 0.625em; border: 2px groove #c0c0c0; }
label { cursor: default; }
iframe { border: 2px inset #c0c0c0; width: 300px; height: 150px; }
)css";

}  // namespace webengine
