#!/usr/bin/env python3
"""Makes the benchmark's drawn pages again: each page is written here as HTML
together with its true text, drawn by headless Chromium (Debian's `chromium`)
at one pixel a CSS pixel, and saved as pictures/NAME.png beside NAME.txt.

Every line of text is placed by hand (no wrapping), so the true text is known
exactly: one line per visual line, the cells of a table row left to right,
text columns one after the other, in the order a person reads the page.
Fonts are named (DejaVu from fonts-dejavu-core, Liberation Serif from
fonts-liberation2), so other font packages change nothing."""

import html
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "pictures")

BASE_CSS = """
* { margin: 0; padding: 0; box-sizing: border-box; }
body { font-family: 'DejaVu Sans'; font-size: 15px; color: #1d1d1f; background: #ffffff; }
div, span, td, th { white-space: nowrap; }
"""


def e(text):
    return html.escape(text)


class Page:
    def __init__(self, name, width=1512, height=982):
        self.name, self.width, self.height = name, width, height
        self.css = ""
        self.body = []
        self.truth = []

    def line(self, text, markup=None):
        """Adds `text` to the true text; the page shows `markup` (or the text)."""
        self.truth.append(text)
        return markup if markup is not None else e(text)


def grid_table():
    p = Page("page-grid-table")
    p.css = """
    h1 { font-size: 22px; margin: 32px 40px 8px; }
    .sub { margin: 0 40px 20px; color: #555; }
    table { border-collapse: collapse; margin: 0 40px; font-size: 15px; }
    th, td { border: 1px solid #9aa3ad; padding: 7px 14px; text-align: left; }
    th { background: #eef1f4; }
    td.n { text-align: right; }
    """
    rows = [
        ("Order", "Customer", "Date", "Items", "Status", "Total"),
        ("#10421", "Ana Silva", "2025-02-03", "3", "Shipped", "€84.20"),
        ("#10422", "Tom Becker", "2025-02-03", "1", "Paid", "€12.99"),
        ("#10423", "Mei Tanaka", "2025-02-04", "6", "Shipped", "€231.50"),
        ("#10424", "Jonas Berg", "2025-02-05", "2", "Refunded", "€45.00"),
        ("#10425", "Lena Okafor", "2025-02-05", "4", "Paid", "€67.80"),
        ("#10426", "Omar Haddad", "2025-02-06", "1", "Cancelled", "€9.90"),
        ("#10427", "Sara Lind", "2025-02-07", "5", "Shipped", "€118.35"),
        ("#10428", "Pablo Ruiz", "2025-02-07", "2", "Paid", "€29.98"),
        ("#10429", "Eva Novak", "2025-02-08", "8", "Shipped", "€302.10"),
        ("#10430", "Ken Ito", "2025-02-09", "1", "Paid", "€15.00"),
        ("#10431", "Nora Quinn", "2025-02-10", "3", "Shipped", "€76.45"),
        ("#10432", "Ivan Petrov", "2025-02-11", "2", "Paid", "€38.60"),
    ]
    body = [f"<h1>{p.line('Quarterly orders')}</h1>",
            f"<div class='sub'>{p.line('February 2025, all shops, 12 orders')}</div>", "<table>"]
    for i, row in enumerate(rows):
        p.line(" ".join(row))
        tag = "th" if i == 0 else "td"
        cells = "".join(f"<{tag}{' class=n' if j in (3, 5) and i else ''}>{e(c)}</{tag}>"
                        for j, c in enumerate(row))
        body.append(f"<tr>{cells}</tr>")
    body.append("</table>")
    p.body = body
    return p


def receipt():
    p = Page("page-receipt")
    p.css = """
    body { background: #d9d6cf; }
    .r { position: absolute; left: 520px; top: 30px; width: 440px; background: #fffef9;
         padding: 22px 28px; font-family: 'DejaVu Sans Mono'; font-size: 15px; line-height: 21px; }
    .c { text-align: center; }
    .row { display: flex; }
    .row .name { flex: 1; }
    .row .qty { width: 50px; text-align: right; }
    .row .price { width: 90px; text-align: right; }
    .rule { border-top: 1px dashed #777; margin: 8px 0; }
    """
    items = [
        ("Oat milk 1L", "2", "2.49"), ("Rye bread", "1", "3.20"), ("Coffee beans 500g", "1", "8.95"),
        ("Bananas", "6", "1.74"), ("Cheddar 200g", "1", "3.49"), ("Eggs (10)", "1", "2.99"),
        ("Tomatoes", "4", "2.36"), ("Olive oil 0.75L", "1", "7.80"), ("Batteries AA", "1", "4.99"),
        ("Dish soap", "1", "1.89"), ("Apples", "5", "2.45"), ("Yoghurt 500g", "2", "1.98"),
    ]
    b = ["<div class='r'>"]
    for text in ("GREEN BASKET MARKET", "Kastanienallee 12, Berlin", "Tel 030 4401 2290"):
        b.append(f"<div class='c'>{p.line(text)}</div>")
    b.append("<div class='rule'></div>")
    b.append(f"<div class='row'>{p.line('Item Qty EUR', '<span class=name>Item</span><span class=qty>Qty</span><span class=price>EUR</span>')}</div>")
    for name, qty, price in items:
        b.append("<div class='row'>" + p.line(
            f"{name} {qty} {price}",
            f"<span class=name>{e(name)}</span><span class=qty>{qty}</span><span class=price>{price}</span>")
            + "</div>")
    b.append("<div class='rule'></div>")
    for label, value in (("Subtotal", "44.33"), ("VAT 7%", "2.90"), ("TOTAL", "44.33"),
                         ("Card Visa **** 4417", "44.33")):
        b.append("<div class='row'>" + p.line(
            f"{label} {value}", f"<span class=name>{e(label)}</span><span class=price>{value}</span>")
            + "</div>")
    b.append("<div class='rule'></div>")
    for text in ("2025-03-01 10:42 Till 3 Receipt 0981", "Thank you for shopping with us!"):
        b.append(f"<div class='c'>{p.line(text)}</div>")
    b.append("</div>")
    p.body = b
    return p


ARTICLE_LEFT = [
    "The city council voted on Tuesday to close",
    "the old harbour road to cars on weekends",
    "from the first of May. Cyclists and market",
    "traders had asked for the change for years,",
    "while some shop owners feared that fewer",
    "customers would come from the suburbs.",
    "",
    "The trial will run until the end of October.",
    "Buses will keep their lane, and delivery vans",
    "may use the road before ten in the morning.",
    "A new car park behind the railway station",
    "will open in April with four hundred places.",
    "",
    "Council member Ruth Adler said the plan was",
    "a compromise that would be reviewed after",
    "the summer, once the first counts of visitors",
    "and of takings in the shops are known.",
]
ARTICLE_RIGHT = [
    "Traders at the fish market welcomed the vote.",
    "On a busy Saturday the road carries more",
    "than six thousand cars, and the stalls have",
    "had to close early on hot days because of",
    "the fumes and the noise, one of them said.",
    "",
    "Opponents of the plan collected two thousand",
    "signatures in March. They ask for a shuttle",
    "bus from the new car park and for cheaper",
    "tickets for families who come by train.",
    "",
    "The council will publish the results of the",
    "trial in November. A permanent closure would",
    "need a second vote and a new budget for the",
    "benches, trees and lights along the water.",
]


def two_column_article():
    p = Page("page-two-column-article")
    p.css = """
    body { font-family: 'DejaVu Serif'; font-size: 16px; }
    h1 { position: absolute; left: 120px; top: 40px; font-size: 30px; }
    .by { position: absolute; left: 120px; top: 92px; color: #555; font-size: 14px; font-family: 'DejaVu Sans'; }
    .col { position: absolute; top: 140px; line-height: 26px; }
    """
    b = [f"<h1>{p.line('Harbour road to close to cars on weekends')}</h1>",
         f"<div class='by'>{p.line('By Jana Moreau, 4 March 2025')}</div>"]
    for left, lines in ((120, ARTICLE_LEFT), (640, ARTICLE_RIGHT)):
        inner = "".join(f"<div>{p.line(t) if t else '&nbsp;'}</div>" for t in lines)
        b.append(f"<div class='col' style='left:{left}px'>{inner}</div>")
    p.truth = [t for t in p.truth if t]
    p.body = b
    return p


def web_page():
    p = Page("page-web-sidebar")
    p.css = """
    .nav { position: absolute; left: 0; top: 0; width: 1512px; height: 56px; background: #ffffff;
           border-bottom: 1px solid #e1e4e8; }
    .nav span { position: absolute; top: 18px; font-size: 15px; }
    .logo { font-weight: bold; font-size: 18px !important; top: 16px !important; }
    .side { position: absolute; left: 0; top: 57px; width: 240px; height: 870px; background: #f6f7f9;
            border-right: 1px solid #e1e4e8; padding: 24px 28px; line-height: 36px; }
    .main { position: absolute; left: 290px; top: 90px; line-height: 24px; }
    .main h2 { font-size: 24px; margin-bottom: 14px; }
    .order { position: absolute; left: 290px; width: 900px; height: 64px; border: 1px solid #dde1e6;
             border-radius: 8px; }
    .order span { position: absolute; top: 21px; }
    .badge { background: #e3f5e8; color: #17692f; padding: 2px 10px; border-radius: 10px; top: 19px !important; }
    .btn { border: 1px solid #b8bec6; padding: 5px 14px; border-radius: 6px; top: 15px !important; }
    .foot { position: absolute; left: 0; top: 928px; width: 1512px; height: 54px; background: #24292f;
            color: #e6e6e6; padding: 17px 28px; font-size: 14px; }
    """
    b = ["<div class='nav'>"]
    p.line("Mivo Market Home Products Pricing Blog Sign in")
    for text, left, cls in (("Mivo Market", 28, "logo"), ("Home", 420, ""), ("Products", 500, ""),
                            ("Pricing", 610, ""), ("Blog", 705, ""), ("Sign in", 1430, "")):
        b.append(f"<span class='{cls}' style='left:{left}px'>{e(text)}</span>")
    b.append("</div><div class='side'>")
    for text in ("Account", "Orders", "Addresses", "Payment methods", "Invite a friend", "Help"):
        b.append(f"<div>{p.line(text)}</div>")
    b.append("</div><div class='main'>")
    b.append(f"<h2>{p.line('Your orders')}</h2>")
    for text in ("Orders from the last six months are shown here. Open an order to see its",
                 "items, download the invoice or send it back within thirty days."):
        b.append(f"<div>{p.line(text)}</div>")
    b.append("</div>")
    orders = [("Order 10421, 3 items, €84.20", "Delivered", "Archive"),
              ("Order 10397, 1 item, €12.99", "Delivered", "Archive"),
              ("Order 10355, 6 items, €231.50", "On its way", "Track")]
    for i, (text, badge, button) in enumerate(orders):
        top = 240 + i * 84
        p.line(f"{text} {badge} {button}")
        b.append(f"<div class='order' style='top:{top}px'><span style='left:20px'>{e(text)}</span>"
                 f"<span class='badge' style='left:640px'>{e(badge)}</span>"
                 f"<span class='btn' style='left:790px'>{e(button)}</span></div>")
    b.append(f"<div class='foot'>{p.line('© 2025 Mivo Market · Terms · Privacy · Contact')}</div>")
    p.body = b
    return p


def account_page():
    """A sidebar longer than the article beside it, one item reaching close to
    the article and the active one on a dark ground."""
    p = Page("page-sidebar-account")
    p.css = """
    body { font-size: 13px; }
    .side { position: absolute; left: 0; top: 0; width: 140px; height: 982px; background: #f6f7f9;
            border-right: 1px solid #d0d4da; padding: 24px 12px; line-height: 34px; }
    .side div { padding: 0 8px; border-radius: 6px; }
    .on { background: #24292f; color: #ffffff; }
    .main { position: absolute; left: 154px; top: 28px; line-height: 24px; }
    """
    b = ["<div class='side'>"]
    for text in ("Account", "Orders", "Addresses", "Payment methods", "Invite a friend", "Help",
                 "Settings", "Sign out"):
        b.append(f"<div{' class=on' if text == 'Invite a friend' else ''}>{p.line(text)}</div>")
    b.append("</div><div class='main'>")
    for text in ("Orders from the last six months are shown here. Open an order to see its",
                 "items, download the invoice or send it back within thirty days. Invoices",
                 "are kept for ten years; a friend you invite gets ten euros off the first",
                 "order, and you get ten euros too once that order has been delivered.",
                 "Addresses and payment methods can be changed at any time in the sidebar."):
        b.append(f"<div>{p.line(text)}</div>")
    b.append("</div>")
    p.body = b
    return p


def chat():
    p = Page("page-chat")
    p.css = """
    body { background: #eef0f3; }
    .head { position: absolute; left: 0; top: 0; width: 1512px; height: 60px; background: #ffffff;
            border-bottom: 1px solid #d8dbe0; padding: 18px 32px; font-weight: bold; font-size: 17px; }
    .b { position: absolute; padding: 10px 16px; border-radius: 16px; line-height: 22px; }
    .in { left: 60px; background: #ffffff; }
    .out { right: 60px; background: #2f6fed; color: #ffffff; }
    .t { position: absolute; font-size: 12px; color: #7a7f87; }
    """
    b = [f"<div class='head'>{p.line('Lena Okafor')}</div>"]
    messages = [
        ("in", ["Are you still coming on Saturday?"], "09:12"),
        ("out", ["Yes! I will be there around noon.", "Should I bring anything?"], "09:14"),
        ("in", ["Could you bring the folding chairs?", "We will be eight people."], "09:15"),
        ("out", ["Sure, I have four of them."], "09:17"),
        ("in", ["Perfect. The address is Mühlenweg 7,", "second floor, ring twice."], "09:18"),
        ("out", ["Got it, see you then"], "09:20"),
    ]
    top = 90
    for side, lines, time in messages:
        inner = "".join(f"<div>{p.line(t)}</div>" for t in lines)
        b.append(f"<div class='b {side}' style='top:{top}px'>{inner}</div>")
        height = 20 + 22 * len(lines)
        pos = "left:64px" if side == "in" else "right:64px"
        b.append(f"<div class='t' style='top:{top + height + 6}px;{pos}'>{p.line(time)}</div>")
        top += height + 44
    b.append(f"<div style='position:absolute;left:40px;top:920px;width:1432px;height:40px;"
             f"background:#fff;border:1px solid #cfd3d9;border-radius:20px;padding:10px 18px;"
             f"color:#8a8f97'>{p.line('Write a message')}</div>")
    p.body = b
    return p


def settings():
    p = Page("page-settings")
    p.css = """
    body { font-size: 12px; background: #f3f3f3; }
    .win { position: absolute; left: 300px; top: 120px; width: 860px; height: 640px; background: #fff;
           border: 1px solid #c9c9c9; }
    .title { position: absolute; left: 20px; top: 14px; font-size: 15px; font-weight: bold; }
    .tabs { position: absolute; left: 20px; top: 46px; height: 28px; width: 820px; border-bottom: 1px solid #c9c9c9; }
    .tab { position: absolute; top: 0; height: 28px; padding: 6px 12px; border: 1px solid transparent; }
    .tab.on { border: 1px solid #c9c9c9; border-bottom: 1px solid #fff; background: #fff; }
    .opt { position: absolute; left: 40px; }
    .box { display: inline-block; width: 13px; height: 13px; border: 1px solid #777; margin-right: 8px;
           vertical-align: -2px; border-radius: 2px; }
    .box.on { background: #2f6fed; border-color: #2f6fed; }
    .field { position: absolute; border: 1px solid #aaa; padding: 3px 6px; width: 200px; }
    .lab { position: absolute; }
    .btn { position: absolute; top: 590px; border: 1px solid #9a9a9a; border-radius: 4px; padding: 5px 14px;
           background: #f7f7f7; }
    .btn.main { background: #2f6fed; color: #fff; border-color: #2f6fed; }
    .small { position: absolute; color: #666; font-size: 11px; }
    """
    b = ["<div class='win'>", f"<div class='title'>{p.line('Preferences')}</div>", "<div class='tabs'>"]
    tabs = ["General", "Privacy", "Notifications", "Accounts", "Advanced"]
    p.line(" ".join(tabs))
    left = 0
    for i, tab in enumerate(tabs):
        b.append(f"<span class='tab{' on' if i == 1 else ''}' style='left:{left}px'>{e(tab)}</span>")
        left += 14 + 8 * len(tab) + 12
    b.append("</div>")
    options = [("Send usage statistics", False), ("Block third-party cookies", True),
               ("Ask before sharing my location", True), ("Clear history when I quit", False),
               ("Remember passwords for sites", True), ("Show a warning before opening downloads", True)]
    top = 100
    for text, on in options:
        b.append(f"<div class='opt' style='top:{top}px'><span class='box{' on' if on else ''}'></span>"
                 f"{p.line(text, e(text))}</div>")
        top += 30
    b.append(f"<div class='small' style='left:40px;top:{top + 4}px'>"
             f"{p.line('Changes to cookies apply to new windows only.')}</div>")
    top += 44
    for label, value in (("Default search engine", "DuckDuckGo"), ("Download folder", "/home/ann/Downloads"),
                         ("Keep history for", "90 days")):
        p.line(f"{label} {value}")
        b.append(f"<div class='lab' style='left:40px;top:{top + 4}px'>{e(label)}</div>")
        b.append(f"<div class='field' style='left:240px;top:{top}px'>{e(value)}</div>")
        top += 36
    p.line("Reset Cancel Save changes")
    for text, left, cls in (("Reset", 40, ""), ("Cancel", 640, ""), ("Save changes", 722, " main")):
        b.append(f"<span class='btn{cls}' style='left:{left}px'>{e(text)}</span>")
    b.append("</div>")
    p.body = b
    return p


CODE = [
    "import json",
    "from pathlib import Path",
    "",
    "",
    "def load_invoices(folder):",
    "    \"\"\"Reads every invoice file of a folder.\"\"\"",
    "    invoices = []",
    "    for path in sorted(Path(folder).glob(\"*.json\")):",
    "        with open(path, encoding=\"utf-8\") as file:",
    "            invoices.append(json.load(file))",
    "    return invoices",
    "",
    "",
    "def total_due(invoices, currency=\"EUR\"):",
    "    due = 0.0",
    "    for invoice in invoices:",
    "        if invoice[\"currency\"] == currency and not invoice[\"paid\"]:",
    "            due += invoice[\"amount\"]",
    "    return round(due, 2)",
    "",
    "",
    "if __name__ == \"__main__\":",
    "    print(total_due(load_invoices(\"invoices\")))",
]


def code(dark):
    p = Page("page-code-dark" if dark else "page-code-gutter")
    ground, ink, gutter, num = (("#1e1e1e", "#d4d4d4", "#1e1e1e", "#858585") if dark
                                else ("#ffffff", "#24292f", "#f6f8fa", "#8c959f"))
    p.css = f"""
    body {{ background: {ground}; color: {ink}; font-family: 'DejaVu Sans Mono'; font-size: 14px; }}
    .tabs {{ position: absolute; left: 0; top: 0; width: 1512px; height: 36px;
             background: {'#252526' if dark else '#eaeef2'}; font-family: 'DejaVu Sans'; font-size: 13px; }}
    .tabs span {{ position: absolute; top: 10px; }}
    .g {{ position: absolute; left: 0; top: 36px; width: 56px; height: 920px; background: {gutter};
          color: {num}; text-align: right; padding-right: 10px; padding-top: 8px; line-height: 21px; }}
    .c {{ position: absolute; left: 72px; top: 44px; line-height: 21px; white-space: pre; }}
    .c div {{ white-space: pre; }}
    .s {{ position: absolute; left: 0; top: 956px; width: 1512px; height: 26px;
          background: {'#007acc' if dark else '#eaeef2'}; color: {'#ffffff' if dark else '#24292f'};
          font-family: 'DejaVu Sans'; font-size: 12px; padding: 5px 12px; }}
    """
    b = ["<div class='tabs'>"]
    p.line("invoices.py README.md")
    b.append("<span style='left:16px'>invoices.py</span><span style='left:140px'>README.md</span></div>")
    numbers, lines = [], []
    for n, text in enumerate(CODE, 1):
        numbers.append(f"<div>{n}</div>")
        lines.append(f"<div>{e(text) if text else ' '}</div>")
        p.line(f"{n} {text.strip()}" if text else str(n))
    b.append(f"<div class='g'>{''.join(numbers)}</div><div class='c'>{''.join(lines)}</div>")
    p.line("Ln 18, Col 9 Spaces: 4 UTF-8 Python")
    b.append("<div class='s'><span>Ln 18, Col 9</span>"
             "<span style='position:absolute;left:1240px'>Spaces: 4</span>"
             "<span style='position:absolute;left:1330px'>UTF-8</span>"
             "<span style='position:absolute;left:1400px'>Python</span></div>")
    p.body = b
    return p


def panels():
    p = Page("page-coloured-panels")
    p.css = """
    body { background: #f4f5f7; }
    h1 { position: absolute; left: 40px; top: 30px; font-size: 24px; }
    .note { position: absolute; left: 1160px; top: 36px; color: #555; font-size: 13px; line-height: 19px; }
    .card { position: absolute; top: 110px; width: 330px; height: 200px; border-radius: 10px;
            padding: 20px 22px; line-height: 24px; }
    .card b { font-size: 18px; display: block; margin-bottom: 10px; }
    .wide { position: absolute; left: 40px; top: 350px; width: 1400px; height: 190px; background: #ffffff;
            border-radius: 10px; padding: 20px 22px; line-height: 25px; }
    .bar { position: absolute; left: 0; top: 946px; width: 1512px; height: 36px; background: #3b3f46;
           color: #f0f0f0; padding: 9px 20px; font-size: 13px; }
    """
    b = [f"<h1>{p.line('Household dashboard')}</h1>"]
    cards = [
        ("#1f5fbf", "#ffffff", "Electricity", ["This month: 212 kWh", "Last month: 240 kWh", "Bill due 2025-03-14"]),
        ("#f2c94c", "#2b2b2b", "Water", ["Meter read on 1 March", "Usage is 8% higher", "Check the garden tap"]),
        ("#2e9d5b", "#ffffff", "Heating", ["Living room 21 °C", "Bedroom 18 °C", "Timer on until 22:00"]),
        ("#c0392b", "#ffffff", "Alerts", ["Smoke alarm battery low", "Front door left open", "at 08:12 today"]),
    ]
    note = ["Last sync 09:41", "4 devices online"]
    # The note at the top right is read after the heading, before the cards.
    p.truth.extend(note)
    b.append("<div class='note'>" + "".join(f"<div>{e(t)}</div>" for t in note) + "</div>")
    for i, (bg, fg, title, lines) in enumerate(cards):
        inner = f"<b>{p.line(title)}</b>" + "".join(f"<div>{p.line(t)}</div>" for t in lines)
        b.append(f"<div class='card' style='left:{40 + i * 356}px;background:{bg};color:{fg}'>{inner}</div>")
    wide = ["Notes", "The plumber comes on Thursday between 8 and 10 to look at the boiler.",
            "Leave the cellar key on the hook by the door, and switch off the water at the main tap.",
            "Bins: paper on Monday, plastic on Wednesday, everything else on Friday."]
    inner = "".join(f"<div>{'<b>' + p.line(t) + '</b>' if i == 0 else p.line(t)}</div>"
                    for i, t in enumerate(wide))
    b.append(f"<div class='wide'>{inner}</div>")
    b.append(f"<div class='bar'>{p.line('Connected · All changes saved · Version 3.2.1')}</div>")
    p.body = b
    return p


def light_grey():
    p = Page("page-light-grey")
    p.css = """
    .w { position: absolute; left: 380px; top: 90px; width: 700px; line-height: 26px; }
    h2 { font-size: 26px; margin-bottom: 6px; }
    .g { color: #a8a8a8; }
    .lg { color: #c4c4c4; }
    .f { border: 1px solid #dcdcdc; border-radius: 6px; padding: 9px 12px; margin: 6px 0 18px; color: #b5b5b5; }
    label { display: block; color: #6f6f6f; font-size: 14px; }
    .btn { display: inline-block; background: #1d1d1f; color: #fff; padding: 8px 22px; border-radius: 6px; }
    """
    b = ["<div class='w'>", f"<h2>{p.line('Create your account')}</h2>",
         f"<div class='g'>{p.line('It takes less than a minute. No card needed.')}</div><br>"]
    for label, hint in (("Full name", "Ann Berg"), ("Email address", "you@example.com"),
                        ("Password", "At least 12 characters")):
        b.append(f"<label>{p.line(label)}</label><div class='f'>{p.line(hint)}</div>")
    b.append(f"<div class='btn'>{p.line('Create account')}</div><br><br>")
    for text in ("By signing up you agree to the Terms of Service and the Privacy Policy.",
                 "We will never share your email address with anyone."):
        b.append(f"<div class='lg'>{p.line(text)}</div>")
    b.append("</div>")
    p.body = b
    return p


def serif_mail():
    p = Page("page-serif-mail")
    p.css = """
    body { font-family: 'Liberation Serif'; font-size: 18px; }
    .h { position: absolute; left: 160px; top: 60px; line-height: 28px; font-family: 'DejaVu Sans'; font-size: 14px; color: #444; }
    .s { position: absolute; left: 160px; top: 160px; font-size: 28px; }
    .t { position: absolute; left: 160px; top: 230px; line-height: 30px; }
    """
    head = ["From: Marta Kowalska <marta@example.net>", "To: Ann Berg <ann@example.org>",
            "Date: 3 March 2025 at 14:20"]
    b = ["<div class='h'>" + "".join(f"<div>{p.line(t)}</div>" for t in head) + "</div>",
         f"<div class='s'>{p.line('The recipe you asked for')}</div>"]
    text = [
        "Dear Ann,",
        "",
        "here is my grandmother's plum cake, as promised. You need 500 g of plums,",
        "200 g of flour, 150 g of butter, 120 g of sugar, two eggs and a pinch of salt.",
        "Bake it for 45 minutes at 180 degrees, and let it cool before you cut it.",
        "",
        "The secret is to put the plums on the dough skin side down, so that",
        "the juice stays in the fruit. Cinnamon on top is allowed, but only a little.",
        "",
        "With love,",
        "Marta",
    ]
    b.append("<div class='t'>" + "".join(f"<div>{p.line(t) if t else '&nbsp;'}</div>" for t in text) + "</div>")
    p.truth = [t for t in p.truth if t]
    p.body = b
    return p


PAGES = [grid_table, receipt, two_column_article, web_page, account_page, chat, settings,
         lambda: code(False), lambda: code(True), panels, light_grey, serif_mail]


def draw(page, folder):
    source = os.path.join(folder, page.name + ".html")
    with open(source, "w", encoding="utf-8") as f:
        f.write(f"<!doctype html><meta charset='utf-8'><style>{BASE_CSS}{page.css}</style>"
                f"<body>{''.join(page.body)}</body>")
    picture = os.path.join(OUT, page.name + ".png")
    subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                    "--force-device-scale-factor=1", f"--window-size={page.width},{page.height}",
                    f"--screenshot={picture}", "file://" + source],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(os.path.join(OUT, page.name + ".txt"), "w", encoding="utf-8") as f:
        f.write("\n".join(page.truth) + "\n")
    print("made", page.name + ".png")


def main():
    wanted = set(sys.argv[1:])
    with tempfile.TemporaryDirectory() as folder:
        for make in PAGES:
            page = make()
            if not wanted or page.name in wanted:
                draw(page, folder)


if __name__ == "__main__":
    main()
