// Checks of the page's layout as the browser drew it, each returning what is wrong as lines.

// In every list widget: no two rows meet (a row's box, or the box of a text in it, with another row's),
// and the header's texts stand inside the widget, above the rows, with no row over them.
export function overlapProblems(page) {
  return page.evaluate(() => {
    const problems = [];
    const meet = (a, b) => Math.min(a.right, b.right) - Math.max(a.left, b.left) > 0.5 &&
                           Math.min(a.bottom, b.bottom) - Math.max(a.top, b.top) > 0.5;
    const boxOf = (element) => element.getBoundingClientRect();
    for (const widget of document.querySelectorAll('.qb-widget')) {
      const rows = [...widget.querySelectorAll('.qb-item')]
        .map((row) => [boxOf(row), ...[...row.querySelectorAll('.qb-t')].map(boxOf)]);
      if (rows.length === 0) continue;
      const name = `${widget.dataset.kind} ${widget.dataset.family}`;
      for (let i = 0; i < rows.length; ++i) {
        for (let j = i + 1; j < rows.length; ++j) {
          if (rows[i].some((a) => rows[j].some((b) => meet(a, b)))) problems.push(`${name}: rows ${i + 1} and ${j + 1} overlap`);
        }
      }
      const edge = boxOf(widget);
      const firstRowTop = Math.min(...rows.map((boxes) => boxes[0].top));
      const header = [...widget.querySelectorAll('.qb-t')]
        .filter((text) => !text.closest('.qb-item') && boxOf(text).top < firstRowTop);
      if (header.length === 0) problems.push(`${name}: no header above the rows`);
      for (const text of header) {
        const box = boxOf(text);
        if (box.top < edge.top || box.bottom > firstRowTop + 0.5 || box.left < edge.left || box.right > edge.right)
          problems.push(`${name}: the header "${text.textContent}" is not wholly shown above the rows`);
      }
    }
    return problems;
  });
}

// In a window `width` pixels wide: the page does not scroll sideways, no heading or caption is cut, the
// controls stay inside, every widget but an extra-large one is shown whole, and an extra-large one
// scrolls sideways inside its own frame, all of it within reach.
export function narrowProblems(page, width) {
  return page.evaluate((width) => {
    const problems = [];
    const page = document.documentElement;
    if (page.scrollWidth > width) problems.push(`the page is ${page.scrollWidth} px wide in a ${width} px window`);
    const inside = (box) => box.left >= -0.5 && box.right <= width + 0.5;
    for (const text of document.querySelectorAll('h1, h2, figcaption, .qb-controls label, .qb-controls input')) {
      if (!inside(text.getBoundingClientRect()) || text.scrollWidth > text.clientWidth + 1)
        problems.push(`"${text.textContent || text.outerHTML}" is cut`);
    }
    for (const figure of document.querySelectorAll('figure.qb-tile')) {
      const name = `${figure.dataset.kind} ${figure.dataset.family}`;
      const slot = figure.querySelector('.qb-slot');
      const widget = slot.querySelector('.qb-widget');
      const frame = slot.getBoundingClientRect();
      const box = widget.getBoundingClientRect();
      if (!inside(frame)) problems.push(`${name}: its frame reaches past the window`);
      const scrolls = slot.scrollWidth > slot.clientWidth + 1;
      const whole = !scrolls && box.left >= frame.left - 0.5 && box.right <= frame.right + 0.5;
      if (figure.dataset.family !== 'systemExtraLarge') {
        if (!whole) problems.push(`${name}: not shown whole`);
      } else if (!whole && !(scrolls && slot.scrollWidth + 1 >= box.width)) {
        problems.push(`${name}: neither shown whole nor scrolling inside its frame`);
      }
    }
    return problems;
  }, width);
}
