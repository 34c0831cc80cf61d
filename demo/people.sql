-- The demo's target table.
create table people (
  id      number(6),
  name    varchar2(30),
  city    varchar2(20),
  born    date,
  salary  number(10,2),
  active  varchar2(5),
  notes   varchar2(400),
  source  varchar2(20)
);
