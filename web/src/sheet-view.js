// The set-up sheet of the result on display, as the engine lays it out: every line at
// its place on a Letter page (8 x 10.5 inches printable at 600 units an inch), drawn
// as SVG so that it prints at the page's size.

const SVG = 'http://www.w3.org/2000/svg';
export const SHEET_WIDTH = 4800;
export const SHEET_HEIGHT = 6300;
const FONT = 'Arial, "Liberation Sans", Helvetica, sans-serif';
// Arial's character cell (ascent + descent) is 1.117 of its size; the text's top is
// the cell's top.
const CELL = 1.117;
const ASCENT = 0.905;

function fontSize(cellHeight) {
  return cellHeight / CELL;
}

// The measure the layout asks for: width and height of a text in the page font.
export function makeMeasure(cellHeight) {
  const context = document.createElement('canvas').getContext('2d');
  context.font = `${fontSize(cellHeight)}px ${FONT}`;
  return (text) => [Math.round(context.measureText(text).width), cellHeight];
}

// The font height the layout will choose for the page (the page's height / 51).
export const sheetFontHeight = () => Math.floor(SHEET_HEIGHT / 51);

export function renderSheet(container, layout) {
  const svg = document.createElementNS(SVG, 'svg');
  svg.setAttribute('viewBox', `0 0 ${SHEET_WIDTH} ${SHEET_HEIGHT}`);
  svg.setAttribute('role', 'img');
  svg.setAttribute('aria-label', 'Set-up sheet');
  const size = fontSize(layout.fontHeight);
  for (const line of layout.texts) {
    const text = document.createElementNS(SVG, 'text');
    text.setAttribute('x', String(Math.trunc(line.x)));
    text.setAttribute('y', String(Math.trunc(line.y) + ASCENT * size));
    text.setAttribute('font-size', String(size));
    text.dataset.text = line.text;
    text.textContent = line.text.replace(/\r\n/g, ' ');
    svg.append(text);
  }
  for (const bar of layout.bars) {
    const path = document.createElementNS(SVG, 'line');
    for (const key of ['x1', 'y1', 'x2', 'y2']) path.setAttribute(key, String(Math.trunc(bar[key])));
    path.setAttribute('stroke', '#000');
    path.setAttribute('stroke-width', String(Math.max(1, Math.round(layout.fontHeight / 20))));
    svg.append(path);
  }
  container.replaceChildren(svg);
}
